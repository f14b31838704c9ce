#include "store/xml/xmldom.h"
#include "usermessages/storeerror.h"

#include <cstdint>
#include <cstdlib>

// Whatever a month file holds, loading either fails and leaves an empty document, or succeeds;
// then the document can be written, and what is written loads again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static XmlDocument doc;
    QString error;
    if (!doc.loadXml(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &error)) {
        if (!doc.saveXml().isEmpty() || error.isEmpty())
            std::abort();
        return 0;
    }
    XmlDocument again;
    try {
        if (!again.loadXml(doc.saveXml(), &error))
            std::abort();
    } catch (const StoreError &) {
        std::abort();
    }
    return 0;
}
