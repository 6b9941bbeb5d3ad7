// Reply parsing by keys and terminators.
#include "verify/reply_parser.h"

#include "base/decimal.h"

void ExtractField(const std::string& reply, const std::string& key, const std::string& terminator,
                  std::string& value)
{
    size_t start = reply.find(key);
    if (start == std::string::npos) return;
    size_t end = reply.find(terminator, start);
    if (end == std::string::npos) return;
    size_t valueStart = start + key.size();
    // A terminator that overlaps the key itself gives an empty value.
    value = end > valueStart ? reply.substr(valueStart, end - valueStart) : std::string();
}

void FillFromReply(const std::string& reply, ScanResult& result)
{
    if (reply.find("\"GS1.ItemStatus, TembrelQuorvixFMDCore\"") == std::string::npos) {
        result.status = "3";
        result.statusText = "Invalid";
        return;
    }
    ExtractField(reply, "\"Status\":", ",", result.status);
    ExtractField(reply, "\"MessageHeading\":\"", "\",", result.messageHeading);
    ExtractField(reply, "\"MessageBody\":\"", "\",", result.messageBody);
    ExtractField(reply, "\"PostTransactionID\":\"", "\",", result.postTransactionId);
    ExtractField(reply, "\"ReplyTransactionID\":\"", "\",", result.replyTransactionId);
    ExtractField(reply, "\"Raw\":\"", "\",", result.raw);
    ExtractField(reply, "\"GTIN\":\"", "\",", result.gtin);
    ExtractField(reply, "\"Lot\":\"", "\",", result.lot);
    ExtractField(reply, "\"Exp\":\"", "\",", result.exp);
    ExtractField(reply, "\"SN\":\"", "\"}", result.sn);
    ExtractField(reply, "\"Success\":", "}", result.success);

    switch (ParseLeadingDecimal(result.status)) {
    case 0: result.kind = ScanResultKind::Error; result.statusText = "Error"; break;
    case 1: result.kind = ScanResultKind::Success; result.statusText = "Success"; break;
    case 2: result.kind = ScanResultKind::Warning; result.statusText = "Warning"; break;
    default: result.kind = ScanResultKind::Failed; result.statusText = "Failed"; break;
    }
}
