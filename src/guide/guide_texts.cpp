// The answer guide's texts: its English lines and their translations live in
// the text catalog (res/lang/*_texts.def), numbered in GuideText's order.
#include "guide/guide_texts.h"

#include "base/text_catalog.h"

namespace {

constexpr int kFirstGuideText = static_cast<int>(TextId::GuideVerdictSupply);
static_assert(static_cast<int>(TextId::GuideSheetNoAlertId) - kFirstGuideText + 1 ==
                  static_cast<int>(GuideText::Count),
              "every guide text has its catalog line, in GuideText's order");

}  // namespace

const char* GuideString(GuideText id)
{
    if (id >= GuideText::Count) return "";
    return Text(static_cast<TextId>(kFirstGuideText + static_cast<int>(id)));
}
