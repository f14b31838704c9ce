#include "store/xmldom.h"

#include "store/roundtripencoder.h"
#include "store/storeerror.h"

#include <QRegularExpression>

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <limits>
#include <memory>
#include <mutex>
#include <utility>

namespace {

// An entry's content is character data, so spaces alone in it are the entry and stay.
const xmlChar *const EntryElementName = BAD_CAST "TEXT";
const xmlChar *const DeclarationTarget = BAD_CAST "xml";

// Japanese Windows tools write "Shift_JIS" meaning code page 932: 0x5C is a backslash there, so a
// stored line-break marker stays a marker, and characters such as the circled digits exist.
const char *const ShiftJisAliases[] = { "SHIFT_JIS", "SHIFT-JIS", "SHIFTJIS", "SJIS", "MS_KANJI", "CSSHIFTJIS",
                                        "X-SJIS", "MS932", "WINDOWS-31J" };

xmlParserInputPtr RefuseExternalEntity(const char *, const char *, xmlParserCtxtPtr)
{
    return nullptr;
}

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        for (const char *alias : ShiftJisAliases)
            xmlAddEncodingAlias("CP932", alias);
    });
}

// A month file never makes the program read another file or the network, whatever the options.
class ExternalEntitiesRefused
{
public:
    ExternalEntitiesRefused() : m_previous(xmlGetExternalEntityLoader()) { xmlSetExternalEntityLoader(RefuseExternalEntity); }
    ~ExternalEntitiesRefused() { xmlSetExternalEntityLoader(m_previous); }
    ExternalEntitiesRefused(const ExternalEntitiesRefused &) = delete;
    ExternalEntitiesRefused &operator=(const ExternalEntitiesRefused &) = delete;

private:
    xmlExternalEntityLoader m_previous;
};

// Collects the library's messages for the duration of one operation instead of printing them.
class ErrorCapture
{
public:
    ErrorCapture() : m_previous(xmlStructuredError), m_previousContext(xmlStructuredErrorContext)
    {
        xmlSetStructuredErrorFunc(this, &ErrorCapture::Collect);
    }
    ~ErrorCapture() { xmlSetStructuredErrorFunc(m_previousContext, m_previous); }
    ErrorCapture(const ErrorCapture &) = delete;
    ErrorCapture &operator=(const ErrorCapture &) = delete;

    QString text() const { return m_text; }

private:
    static void Collect(void *context, xmlErrorPtr error)
    {
        auto *self = static_cast<ErrorCapture *>(context);
        if (error == nullptr || error->level < XML_ERR_ERROR || !self->m_text.isEmpty())
            return;
        const QString message = QString::fromUtf8(error->message).trimmed();
        self->m_text = error->line > 0 ? QStringLiteral("line %1: %2").arg(error->line).arg(message) : message;
    }

    xmlStructuredErrorFunc m_previous;
    void *m_previousContext;
    QString m_text;
};

bool IsXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// Characters XML 1.0 cannot carry would make the written file unreadable; each becomes U+FFFD.
QByteArray ToXmlUtf8(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            clean.append(c).append(text.at(++i));
        } else {
            clean.append(IsXmlChar(c.unicode()) ? c : QChar(QChar::ReplacementCharacter));
        }
    }
    return clean.toUtf8();
}

QString FromXml(const xmlChar *text)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text));
}

xmlNodePtr Checked(void *node)
{
    if (node == nullptr)
        throw StoreError(QStringLiteral("operation on a node that does not exist"));
    return static_cast<xmlNodePtr>(node);
}

QByteArray CheckedName(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    if (xmlValidateName(BAD_CAST utf8.constData(), 0) != 0)
        throw StoreError(QStringLiteral("invalid XML name \"%1\"").arg(name));
    return utf8;
}

bool IsDeclaration(xmlNodePtr node)
{
    return node->type == XML_PI_NODE && xmlStrEqual(node->name, DeclarationTarget);
}

bool IsBlankText(xmlNodePtr node)
{
    if (node->type != XML_TEXT_NODE || node->content == nullptr)
        return false;
    for (const xmlChar *c = node->content; *c != 0; ++c) {
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n')
            return false;
    }
    return true;
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

void SetXmlString(xmlDocPtr doc, const xmlChar *&field, const QString &value)
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
    if (!encoding.isNull()) {
        xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding.toUtf8().constData());
        if (handler == nullptr)
            throw StoreError(QStringLiteral("unsupported encoding \"%1\"").arg(encoding));
        xmlCharEncCloseFunc(handler);
    }
    SetXmlString(doc, doc->version, version);
    SetXmlString(doc, doc->encoding, encoding);
    doc->standalone = standalone;
}

int AppendToByteArray(void *context, const char *buffer, int length)
{
    static_cast<QByteArray *>(context)->append(buffer, length);
    return length;
}

thread_local RoundTripEncoder *activeEncoder = nullptr;

int EncodeWithActiveEncoder(unsigned char *out, int *outLength, const unsigned char *in, int *inLength)
{
    return activeEncoder->Convert(out, outLength, in, inLength);
}

int SaveWith(xmlDocPtr doc, const char *encoding, int options, QByteArray *bytes)
{
    xmlSaveCtxtPtr context = xmlSaveToIO(AppendToByteArray, nullptr, bytes, encoding, options);
    if (context == nullptr)
        throw StoreError(QStringLiteral("cannot write encoding \"%1\"").arg(QString::fromUtf8(encoding)));
    const long written = xmlSaveDoc(context, doc);
    const int closed = xmlSaveClose(context);
    return written < 0 || closed < 0 ? -1 : 0;
}

int SaveInUtf8(xmlDocPtr doc, QByteArray *bytes)
{
    return SaveWith(doc, "UTF-8", XML_SAVE_NO_DECL, bytes);
}

// Encodings the library converts through the system's converter go through a RoundTripEncoder,
// so that no character is silently written as another one.
int SaveDeclared(xmlDocPtr doc, std::unique_ptr<RoundTripEncoder> &encoder, QByteArray *bytes)
{
    const char *encoding = doc->encoding != nullptr ? reinterpret_cast<const char *>(doc->encoding) : "UTF-8";
    xmlCharEncodingHandlerPtr library = xmlFindCharEncodingHandler(encoding);
    if (library == nullptr)
        throw StoreError(QStringLiteral("unsupported encoding \"%1\"").arg(QString::fromUtf8(encoding)));
    const bool converted = library->iconv_out != nullptr;
    QByteArray converterName(library->name);
    xmlCharEncCloseFunc(library);
    if (!converted)
        return SaveWith(doc, encoding, 0, bytes);
    if (encoder == nullptr || encoder->encoding() != converterName)
        encoder = std::make_unique<RoundTripEncoder>(converterName);
    if (!encoder->EncodesPerCharacter())
        return SaveWith(doc, encoding, 0, bytes);
    xmlCharEncodingHandler handler {};
    handler.name = converterName.data();
    handler.output = EncodeWithActiveEncoder;
    activeEncoder = encoder.get();
    xmlOutputBufferPtr output = xmlOutputBufferCreateIO(AppendToByteArray, nullptr, bytes, &handler);
    const int result = output == nullptr ? -1 : xmlSaveFileTo(output, doc, encoding);
    activeEncoder = nullptr;
    return result;
}
}

XmlNode::Kind XmlNode::kind() const
{
    const xmlNodePtr node = Checked(m_node);
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return Kind::Element;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return Kind::Text;
    case XML_PI_NODE:
        return IsDeclaration(node) ? Kind::Declaration : Kind::ProcessingInstruction;
    case XML_COMMENT_NODE:
        return Kind::Comment;
    default:
        return Kind::Other;
    }
}

QString XmlNode::nodeName() const
{
    const xmlNodePtr node = Checked(m_node);
    switch (node->type) {
    case XML_ELEMENT_NODE:
        if (node->ns != nullptr && node->ns->prefix != nullptr)
            return FromXml(node->ns->prefix) + u':' + FromXml(node->name);
        return FromXml(node->name);
    case XML_PI_NODE:
        return FromXml(node->name);
    case XML_TEXT_NODE:
        return QStringLiteral("#text");
    case XML_CDATA_SECTION_NODE:
        return QStringLiteral("#cdata-section");
    case XML_COMMENT_NODE:
        return QStringLiteral("#comment");
    default:
        return node->name != nullptr ? FromXml(node->name) : QString();
    }
}

QString XmlNode::text() const
{
    const xmlNodePtr node = Checked(m_node);
    // The common entry, one text node, is read in place.
    const xmlNodePtr only = node->type == XML_ELEMENT_NODE && node->children == node->last ? node->children : node;
    if (only != nullptr && (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE))
        return FromXml(only->content);
    xmlChar *content = xmlNodeGetContent(node);
    const QString text = FromXml(content);
    xmlFree(content);
    return text;
}

void XmlNode::setText(const QString &text)
{
    const xmlNodePtr node = Checked(m_node);
    if (node->type != XML_ELEMENT_NODE)
        throw StoreError(QStringLiteral("only an element's text can be replaced"));
    while (node->children != nullptr) {
        xmlNodePtr child = node->children;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
    // A text node is added as it is, never parsed, so "&amp;" typed by the user stays those five characters.
    const QByteArray utf8 = ToXmlUtf8(text);
    if (!utf8.isEmpty())
        xmlAddChild(node, xmlNewDocTextLen(node->doc, BAD_CAST utf8.constData(), int(utf8.size())));
}

QString XmlNode::getAttribute(const QString &name) const
{
    xmlChar *value = xmlGetNoNsProp(Checked(m_node), BAD_CAST name.toUtf8().constData());
    const QString text = FromXml(value);
    xmlFree(value);
    return text;
}

bool XmlNode::hasAttribute(const QString &name) const
{
    return xmlHasNsProp(Checked(m_node), BAD_CAST name.toUtf8().constData(), nullptr) != nullptr;
}

void XmlNode::setAttribute(const QString &name, const QString &value)
{
    const xmlNodePtr node = Checked(m_node);
    if (node->type != XML_ELEMENT_NODE)
        throw StoreError(QStringLiteral("only an element has attributes"));
    if (xmlSetProp(node, BAD_CAST CheckedName(name).constData(), BAD_CAST ToXmlUtf8(value).constData()) == nullptr)
        throw StoreError(QStringLiteral("cannot set attribute \"%1\"").arg(name));
}

std::vector<XmlNode> XmlNode::childNodes() const
{
    const xmlNodePtr node = Checked(m_node);
    std::vector<XmlNode> children;
    if (node->type != XML_ELEMENT_NODE)
        return children;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
        children.push_back(XmlNode(child));
    return children;
}

bool XmlNode::hasChildNodes() const
{
    const xmlNodePtr node = Checked(m_node);
    return node->type == XML_ELEMENT_NODE && node->children != nullptr;
}

XmlNode XmlNode::parentNode() const
{
    const xmlNodePtr parent = Checked(m_node)->parent;
    return XmlNode(parent != nullptr && parent->type == XML_ELEMENT_NODE ? parent : nullptr);
}

XmlNode XmlNode::appendChild(XmlNewNode &&child)
{
    const xmlNodePtr node = Checked(m_node);
    const xmlNodePtr newChild = Checked(child.m_node);
    if (node->type != XML_ELEMENT_NODE || IsDeclaration(newChild))
        throw StoreError(QStringLiteral("cannot append \"%1\" here").arg(child.node().nodeName()));
    const xmlNodePtr added = xmlAddChild(node, newChild);
    if (added == nullptr)
        throw StoreError(QStringLiteral("cannot append \"%1\"").arg(child.node().nodeName()));
    child.release();
    return XmlNode(added);
}

void XmlNode::removeChild(XmlNode child)
{
    const xmlNodePtr removed = Checked(child.m_node);
    if (removed->parent != Checked(m_node))
        throw StoreError(QStringLiteral("\"%1\" is not a child of \"%2\"").arg(child.nodeName(), nodeName()));
    xmlUnlinkNode(removed);
    xmlFreeNode(removed);
}

XmlNewNode::XmlNewNode(XmlNewNode &&other) noexcept : m_node(other.release()) { }

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

XmlDocument::XmlDocument() : d(new Impl)
{
    InitLibrary();
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
    xmlParserCtxtPtr context = bytes.size() <= std::numeric_limits<int>::max() ? xmlNewParserCtxt() : nullptr;
    xmlDocPtr parsed = context == nullptr
        ? nullptr
        : xmlCtxtReadMemory(context, bytes.constData(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
    xmlFreeParserCtxt(context);
    if (parsed == nullptr || xmlDocGetRootElement(parsed) == nullptr) {
        xmlFreeDoc(parsed);
        clear();
        if (error != nullptr)
            *error = capture.text().isEmpty() ? QStringLiteral("not an XML document") : capture.text();
        return false;
    }
    DropIndentation(parsed->children);
    d->reset(parsed);
    return true;
}

QByteArray XmlDocument::saveXml() const
{
    ErrorCapture capture;
    QByteArray bytes;
    const bool declared = d->doc->standalone != -1;
    // Without a declaration only UTF-8 tells its own encoding.
    const int result = declared ? SaveDeclared(d->doc, d->encoder, &bytes) : SaveInUtf8(d->doc, &bytes);
    if (result < 0 || !capture.text().isEmpty())
        throw StoreError(capture.text().isEmpty() ? QStringLiteral("cannot serialize the document") : capture.text());
    return bytes;
}

void XmlDocument::clear()
{
    d->reset(xmlNewDoc(BAD_CAST "1.0"));
}

std::vector<XmlNode> XmlDocument::documentChildren() const
{
    std::vector<XmlNode> children;
    if (d->declaration != nullptr)
        children.push_back(XmlNode(d->declaration));
    for (xmlNodePtr child = d->doc->children; child != nullptr; child = child->next)
        children.push_back(XmlNode(child));
    return children;
}

XmlNode XmlDocument::documentElement() const
{
    return XmlNode(xmlDocGetRootElement(d->doc));
}

XmlNewNode XmlDocument::createElement(const QString &name)
{
    return XmlNewNode(xmlNewNode(nullptr, BAD_CAST CheckedName(name).constData()));
}

XmlNewNode XmlDocument::createProcessingInstruction(const QString &target, const QString &data)
{
    const QByteArray content = ToXmlUtf8(data);
    if (content.contains("?>"))
        throw StoreError(QStringLiteral("processing instruction data must not contain \"?>\""));
    return XmlNewNode(xmlNewPI(BAD_CAST CheckedName(target).constData(), BAD_CAST content.constData()));
}

XmlNode XmlDocument::appendChild(XmlNewNode &&child)
{
    const xmlNodePtr node = Checked(child.m_node);
    if (IsDeclaration(node)) {
        if (d->declaration != nullptr)
            throw StoreError(QStringLiteral("the document already has a declaration"));
        ApplyDeclaration(d->doc, FromXml(node->content));
        xmlNodeSetContent(node, BAD_CAST DeclarationData(d->doc).toUtf8().constData());
        d->declaration = static_cast<xmlNodePtr>(child.release());
        return XmlNode(d->declaration);
    }
    if (node->type == XML_ELEMENT_NODE && xmlDocGetRootElement(d->doc) != nullptr)
        throw StoreError(QStringLiteral("the document already has a root element"));
    const xmlNodePtr added = xmlAddChild(reinterpret_cast<xmlNodePtr>(d->doc), node);
    if (added == nullptr)
        throw StoreError(QStringLiteral("cannot append \"%1\" to the document").arg(child.node().nodeName()));
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
