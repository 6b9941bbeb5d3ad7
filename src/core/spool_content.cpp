// Spool file contents with and without a delivery tag.
#include "core/spool_content.h"

namespace {

constexpr char kDeliveryTag = 'D';
constexpr char kTagEnd = ';';
constexpr size_t kMostDigits = 18;  // fits an int64_t

// The delivery number of a tagged content and the tag's length; 0 and 0 when
// the content carries no sound tag.
int64_t DeliveryTag(const std::string& content, size_t& length)
{
    length = 0;
    if (content.size() < 3 || content[0] != kDeliveryTag) return 0;
    size_t end = content.find(kTagEnd);
    if (end == std::string::npos || end < 2 || end - 1 > kMostDigits) return 0;
    int64_t number = 0;
    for (size_t i = 1; i < end; ++i) {
        if (content[i] < '0' || content[i] > '9') return 0;
        number = number * 10 + (content[i] - '0');
    }
    if (number <= 0) return 0;
    length = end + 1;
    return number;
}

}  // namespace

std::string SpoolText(int32_t mode, int64_t delivery, const std::string& barcode)
{
    std::string text = delivery > 0 ? kDeliveryTag + std::to_string(delivery) + kTagEnd : std::string();
    return text + static_cast<char>('0' + mode) + barcode;
}

SpoolContent ParseSpoolText(const std::string& content)
{
    SpoolContent parsed;
    size_t tag = 0;
    parsed.delivery = DeliveryTag(content, tag);
    std::string rest = content.substr(tag);
    parsed.mode = rest.empty() ? -'0' : static_cast<signed char>(rest[0]) - '0';
    parsed.barcode = rest.empty() ? std::string() : rest.substr(1);
    return parsed;
}
