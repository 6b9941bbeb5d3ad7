// The delivery check's and the reports' texts, from the catalog.
#include "reports/report_texts.h"

#include "base/text_catalog.h"

namespace {

constexpr int kFirstReportText = static_cast<int>(TextId::ReportTallyChecked);
static_assert(static_cast<int>(TextId::ReportActivityWaitedTime) - kFirstReportText ==
                  static_cast<int>(ReportText::ActivityWaitedTime),
              "the catalog's report texts follow ReportText's order");

}  // namespace

const char* ReportString(ReportText id) { return Text(static_cast<TextId>(kFirstReportText + static_cast<int>(id))); }
