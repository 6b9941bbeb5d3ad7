// One settled scan as the history keeps it: the service's answer, the scan as
// read at the counter, and the follow-up mark of an alert. Portable.
#pragma once
#include <cstdint>
#include <string>

struct HistoryEntry {
    int64_t id = 0;
    std::string localTime;  // ISO 8601, the counter's clock
    std::string utcTime;    // ISO 8601 with "Z"
    std::string spoolKey;
    int mode = 0;
    std::string barcode;  // the raw bytes as scanned
    std::string statusText;
    int kind = 0;
    std::string status, messageHeading, messageBody, postTransactionId, replyTransactionId;
    std::string gtin, lot, exp, sn;  // as the service gave them
    int curlResult = 0;             // curl's exit code; 0 when it got an answer
    std::string userName, computerName, programVersion;
    // The scan as read locally, before it was sent.
    std::string readFormat, readProductCode, readBatch, readExpiry, readSerial, readFaults;
    bool handled = false;
    std::string handledNote;
    // An alert's case as it stands: its alert ID and state as recorded, and
    // the UTC time of its last change.
    std::string caseAlertId, caseState, caseUpdated;
    int64_t delivery = 0;  // the delivery checked when it was scanned; 0: none
    // How long it waited for the service through an outage, from its scan to
    // its answer; 0 when it was answered without waiting.
    int64_t waitedSeconds = 0;
};
