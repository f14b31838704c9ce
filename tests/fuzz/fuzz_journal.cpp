#include "store/journalfiles/journalformat.h"

#include <QCryptographicHash>

#include <cstdint>
#include <cstdlib>

namespace {

// A decoded journal encodes to bytes that decode to the same content.
void CheckDecoded(const QByteArray &bytes)
{
    QString reason;
    const std::optional<JournalContent> content = JournalFormat::Decode(bytes, &reason);
    if (!content) {
        if (reason.isEmpty())
            std::abort();
        return;
    }
    const std::optional<JournalContent> again = JournalFormat::Decode(JournalFormat::Encode(*content), &reason);
    if (!again || *again != *content)
        std::abort();
}

}

// The input as a whole journal, and once more with the digest line it lacks, so that the header's
// parser sees inputs that a wrong digest would otherwise turn away at the door.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CheckDecoded(bytes);
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    CheckDecoded(bytes + "sha256=" + digest + '\n');
    return 0;
}
