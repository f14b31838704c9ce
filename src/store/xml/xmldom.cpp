#include "store/xml/xmldom.h"

#include "store/xml/roundtripencoder.h"
#include "store/xml/xmlcompare.h"
#include "store/xml/xmllibrary.h"
#include "store/xml/xmlwriter.h"
#include "usermessages/storeerror.h"

#include <QRegularExpression>

#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <limits>
#include <mutex>
#include <new>
#include <utility>

using namespace XmlLibrary;

namespace {

xmlParserInputPtr RefuseExternalEntity(const char *, const char *, xmlParserCtxtPtr)
{
    return nullptr;
}

// A month file never makes the program read another file or the network, whatever the options.
// The loader is one for the whole process, and the search reads months on other threads while the
// window loads one: the first reading sets the refusal and the last puts back what was there, so
// no reading ever runs with the loader of another's end.
class ExternalEntitiesRefused
{
public:
    ExternalEntitiesRefused()
    {
        const std::lock_guard lock(s_mutex);
        if (s_readings++ == 0) {
            s_previous = xmlGetExternalEntityLoader();
            xmlSetExternalEntityLoader(RefuseExternalEntity);
        }
    }
    ~ExternalEntitiesRefused()
    {
        const std::lock_guard lock(s_mutex);
        if (--s_readings == 0)
            xmlSetExternalEntityLoader(s_previous);
    }
    ExternalEntitiesRefused(const ExternalEntitiesRefused &) = delete;
    ExternalEntitiesRefused &operator=(const ExternalEntitiesRefused &) = delete;

private:
    static inline std::mutex s_mutex;
    static inline int s_readings = 0;
    static inline xmlExternalEntityLoader s_previous = nullptr;
};

// The library's large limits also drop its guards against entity expansion and deep nesting.
// Entities are declared only in a document type, so a reading with the large limits gives up at a
// document type, before any declaration, and at the ordinary depth limit; the ordinary reading
// then decides, and refuses what it must.
struct LargeReading
{
    int depth = 0;
    bool givenUp = false;
};

constexpr int OrdinaryDepth = 256;

void GiveUp(xmlParserCtxtPtr parser)
{
    static_cast<LargeReading *>(parser->_private)->givenUp = true;
    xmlStopParser(parser);
}

void GiveUpAtDocumentType(void *context, const xmlChar *, const xmlChar *, const xmlChar *)
{
    GiveUp(static_cast<xmlParserCtxtPtr>(context));
}

void StartElementWithinDepth(void *context, const xmlChar *localName, const xmlChar *prefix, const xmlChar *uri,
    int namespaceCount, const xmlChar **namespaces, int attributeCount, int defaultedCount, const xmlChar **attributes)
{
    auto *parser = static_cast<xmlParserCtxtPtr>(context);
    if (++static_cast<LargeReading *>(parser->_private)->depth > OrdinaryDepth)
        return GiveUp(parser);
    xmlSAX2StartElementNs(
        context, localName, prefix, uri, namespaceCount, namespaces, attributeCount, defaultedCount, attributes);
}

void EndElementWithinDepth(void *context, const xmlChar *localName, const xmlChar *prefix, const xmlChar *uri)
{
    --static_cast<LargeReading *>(static_cast<xmlParserCtxtPtr>(context)->_private)->depth;
    xmlSAX2EndElementNs(context, localName, prefix, uri);
}

xmlDocPtr Read(const QByteArray &bytes, bool largeLimits, bool *givenUp)
{
    xmlParserCtxtPtr context = bytes.size() <= std::numeric_limits<int>::max() ? NewParserContext() : nullptr;
    if (context == nullptr)
        return nullptr;
    LargeReading reading;
    if (largeLimits) {
        context->_private = &reading;
        context->sax->internalSubset = GiveUpAtDocumentType;
        context->sax->startElementNs = StartElementWithinDepth;
        context->sax->endElementNs = EndElementWithinDepth;
    }
    const int options = XML_PARSE_NONET | (largeLimits ? XML_PARSE_HUGE : 0);
    xmlDocPtr parsed = xmlCtxtReadMemory(context, bytes.constData(), int(bytes.size()), nullptr, nullptr, options);
    xmlFreeParserCtxt(context);
    *givenUp = reading.givenUp;
    return parsed;
}

// An entry of a few million characters is more than the library reads with its ordinary limits.
xmlDocPtr ReadDocument(const QByteArray &bytes)
{
    bool givenUp = false;
    xmlDocPtr parsed = Read(bytes, true, &givenUp);
    if (!givenUp)
        return parsed;
    xmlFreeDoc(parsed);
    return Read(bytes, false, &givenUp);
}

// Indentation between elements must never become an entry, so the whitespace-only text nodes
// of every element but an entry are dropped.
void DropIndentation(xmlNodePtr node)
{
    while (node != nullptr) {
        xmlNodePtr next = node->next;
        if (node->type == XML_ELEMENT_NODE) {
            if (!xmlStrEqual(node->name, EntryElementName))
                DropIndentation(node->children);
        } else if (IsBlankText(node)) {
            xmlUnlinkNode(node);
            xmlFreeNode(node);
        }
        node = next;
    }
}

QString DeclarationData(xmlDocPtr doc)
{
    QString data = QStringLiteral("version=\"%1\"").arg(FromXml(doc->version ? doc->version : BAD_CAST "1.0"));
    if (doc->encoding != nullptr)
        data += QStringLiteral(" encoding=\"%1\"").arg(FromXml(doc->encoding));
    if (doc->standalone == 0 || doc->standalone == 1)
        data += QStringLiteral(" standalone=\"%1\"").arg(doc->standalone == 1 ? u"yes" : u"no");
    return data;
}

// The document's version and encoding were const in older libraries; either way they are the
// document's own copies, unless its dictionary holds them.
template <typename Char> void SetXmlString(xmlDocPtr doc, Char *&field, const QString &value)
{
    if (field != nullptr && (doc->dict == nullptr || !xmlDictOwns(doc->dict, field)))
        xmlFree(const_cast<xmlChar *>(field));
    field = value.isNull() ? nullptr : xmlStrdup(BAD_CAST value.toUtf8().constData());
}

// Takes version, encoding and standalone from declaration data into the document.
void ApplyDeclaration(xmlDocPtr doc, const QString &data)
{
    static const QRegularExpression pseudoAttribute(QStringLiteral("(\\w+)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"));
    QString version = QStringLiteral("1.0");
    QString encoding;
    int standalone = -2;
    for (const QRegularExpressionMatch &match : pseudoAttribute.globalMatch(data)) {
        const QString value = match.captured(2).isNull() ? match.captured(3) : match.captured(2);
        if (match.captured(1) == u"version")
            version = value;
        else if (match.captured(1) == u"encoding")
            encoding = value;
        else if (match.captured(1) == u"standalone")
            standalone = value == u"yes" ? 1 : 0;
    }
    if (!encoding.isNull() && !CanConvert(encoding.toUtf8().constData()))
        throw StoreError(QStringLiteral("文字コード「%1」は読み書きできません。").arg(encoding));
    SetXmlString(doc, doc->version, version);
    SetXmlString(doc, doc->encoding, encoding);
    doc->standalone = standalone;
}

}

XmlNewNode::XmlNewNode(XmlNewNode &&other) noexcept
    : m_node(other.release())
{
}

XmlNewNode &XmlNewNode::operator=(XmlNewNode &&other) noexcept
{
    if (this != &other) {
        xmlFreeNode(static_cast<xmlNodePtr>(m_node));
        m_node = other.release();
    }
    return *this;
}

XmlNewNode::~XmlNewNode()
{
    xmlFreeNode(static_cast<xmlNodePtr>(m_node));
}

void *XmlNewNode::release()
{
    return std::exchange(m_node, nullptr);
}

struct XmlDocument::Impl
{
    xmlDocPtr doc = nullptr;
    // The declaration is no node of the library's tree; this one stands for it while the
    // document has a declaration (standalone is -1 only when it has none).
    xmlNodePtr declaration = nullptr;
    // Kept from save to save: it remembers which characters its encoding holds.
    std::unique_ptr<RoundTripEncoder> encoder;

    void reset(xmlDocPtr newDoc)
    {
        xmlFreeDoc(doc);
        xmlFreeNode(declaration);
        doc = newDoc;
        declaration = nullptr;
        if (doc->standalone != -1)
            declaration = xmlNewPI(DeclarationTarget, BAD_CAST DeclarationData(doc).toUtf8().constData());
    }
};

XmlDocument::XmlDocument()
    : d(new Impl)
{
    Init();
    d->reset(xmlNewDoc(BAD_CAST "1.0"));
}

XmlDocument::~XmlDocument()
{
    xmlFreeDoc(d->doc);
    xmlFreeNode(d->declaration);
    delete d;
}

bool XmlDocument::loadXml(const QByteArray &bytes, QString *error)
{
    ErrorCapture capture;
    ExternalEntitiesRefused refused;
    xmlDocPtr parsed = ReadDocument(bytes);
    if (parsed == nullptr || xmlDocGetRootElement(parsed) == nullptr) {
        xmlFreeDoc(parsed);
        clear();
        if (error != nullptr)
            *error = capture.text().isEmpty() ? QStringLiteral("XML 文書ではありません。") : capture.text();
        return false;
    }
    DropIndentation(parsed->children);
    d->reset(parsed);
    return true;
}

bool XmlDocument::sameContent(const XmlDocument &other) const
{
    const xmlNodePtr mine = d->declaration;
    const xmlNodePtr theirs = other.d->declaration;
    const bool sameDeclaration
        = mine == nullptr || theirs == nullptr ? mine == theirs : xmlStrEqual(mine->content, theirs->content);
    return sameDeclaration && XmlCompare::SameChildren(d->doc->children, other.d->doc->children, false);
}

QByteArray XmlDocument::saveXml() const
{
    return XmlWriter::Write(d->doc, d->encoder);
}

void XmlDocument::clear()
{
    d->reset(xmlNewDoc(BAD_CAST "1.0"));
}

void XmlDocument::copyFrom(const XmlDocument &other)
{
    // A new document has no dictionary, so every name of the copy is a string of its own.
    const xmlDocPtr copy = xmlCopyDoc(other.d->doc, 1);
    const xmlNodePtr declaration = other.d->declaration ? xmlCopyNode(other.d->declaration, 1) : nullptr;
    if (copy == nullptr || (other.d->declaration != nullptr && declaration == nullptr)) {
        xmlFreeDoc(copy);
        xmlFreeNode(declaration);
        throw std::bad_alloc();
    }
    d->reset(copy);
    xmlFreeNode(std::exchange(d->declaration, declaration));
}

XmlNode XmlDocument::documentElement() const
{
    return XmlNode(xmlDocGetRootElement(d->doc));
}

XmlNewNode XmlDocument::createElement(const QString &name)
{
    return XmlNewNode(xmlNewNode(nullptr, BAD_CAST CheckedName(name).constData()));
}

XmlNewNode XmlDocument::importNode(const XmlNode &node)
{
    const xmlNodePtr copy = xmlDocCopyNode(Checked(node.m_node), d->doc, 1);
    if (copy == nullptr)
        throw std::bad_alloc();
    return XmlNewNode(copy);
}

XmlNewNode XmlDocument::createProcessingInstruction(const QString &target, const QString &data)
{
    const QByteArray content = ToXmlUtf8(data);
    if (content.contains("?>"))
        throw StoreError(QStringLiteral("処理命令の中身に「?>」は書けません。"));
    return XmlNewNode(xmlNewPI(BAD_CAST CheckedName(target).constData(), BAD_CAST content.constData()));
}

XmlNode XmlDocument::appendChild(XmlNewNode &&child)
{
    const xmlNodePtr node = Checked(child.m_node);
    if (IsDeclaration(node)) {
        if (d->declaration != nullptr)
            throw StoreError(QStringLiteral("文書にはすでに XML 宣言があります。"));
        ApplyDeclaration(d->doc, FromXml(node->content));
        xmlNodeSetContent(node, BAD_CAST DeclarationData(d->doc).toUtf8().constData());
        d->declaration = static_cast<xmlNodePtr>(child.release());
        return XmlNode(d->declaration);
    }
    if (node->type == XML_ELEMENT_NODE && xmlDocGetRootElement(d->doc) != nullptr)
        throw StoreError(QStringLiteral("文書にはすでにルート要素があります。"));
    const xmlNodePtr added = xmlAddChild(reinterpret_cast<xmlNodePtr>(d->doc), node);
    if (added == nullptr)
        throw StoreError(QStringLiteral("「%1」を文書に加えられません。").arg(child.node().nodeName()));
    child.release();
    return XmlNode(added);
}

std::vector<XmlNode> XmlDocument::getElementsByTagName(const QString &name) const
{
    const QByteArray wanted = name.toUtf8();
    std::vector<XmlNode> found;
    xmlNodePtr node = d->doc->children;
    while (node != nullptr) {
        const bool element = node->type == XML_ELEMENT_NODE;
        if (element && (node->ns == nullptr || node->ns->prefix == nullptr)
            && xmlStrEqual(node->name, BAD_CAST wanted.constData()))
            found.push_back(XmlNode(node));
        if (element && node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr)
            node = node->parent != nullptr && node->parent->type == XML_ELEMENT_NODE ? node->parent : nullptr;
        if (node != nullptr)
            node = node->next;
    }
    return found;
}

bool XmlCanCarry(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}
