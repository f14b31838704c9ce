#include "store/xml/xmllibrary.h"

#include "store/xml/xmldom.h"
#include "store/xml/xmlerrortext.h"
#include "usermessages/storeerror.h"

#include <mutex>

namespace XmlLibrary {

namespace {

// Japanese Windows tools write "Shift_JIS" meaning code page 932: 0x5C is a backslash there, so a
// stored line-break marker stays a marker, and characters such as the circled digits exist.
const char *const ShiftJisAliases[]
    = { "SHIFT_JIS", "SHIFT-JIS", "SHIFTJIS", "SJIS", "MS_KANJI", "CSSHIFTJIS", "X-SJIS", "MS932", "WINDOWS-31J" };

#if LIBXML_VERSION >= 21400
xmlParserErrors OpenUnderConverterName(void *, const char *name, xmlCharEncFlags flags, xmlCharEncodingHandler **out)
{
    return xmlCreateCharEncodingHandler(ConverterName(name).constData(), flags, nullptr, nullptr, out);
}
#endif

}

// Libraries that take converters from their caller get the Shift_JIS names mapped per parse and
// save; older ones know them as aliases, which the library deprecates once the former exists.
void Init()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
#if LIBXML_VERSION < 21400
        for (const char *alias : ShiftJisAliases)
            xmlAddEncodingAlias("CP932", alias);
#endif
    });
}

QByteArray ConverterName(const char *encoding)
{
    for (const char *alias : ShiftJisAliases) {
        if (xmlStrcasecmp(BAD_CAST encoding, BAD_CAST alias) == 0)
            return QByteArrayLiteral("CP932");
    }
    return QByteArray(encoding);
}

bool CanConvert(const char *encoding)
{
#if LIBXML_VERSION >= 21400
    xmlCharEncodingHandlerPtr handler = nullptr;
    const auto both = static_cast<xmlCharEncFlags>(XML_ENC_INPUT | XML_ENC_OUTPUT);
    const bool found
        = xmlCreateCharEncodingHandler(encoding, both, OpenUnderConverterName, nullptr, &handler) == XML_ERR_OK;
#else
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding);
    const bool found = handler != nullptr;
#endif
    if (handler != nullptr)
        xmlCharEncCloseFunc(handler);
    return found;
}

xmlParserCtxtPtr NewParserContext()
{
    xmlParserCtxtPtr context = xmlNewParserCtxt();
#if LIBXML_VERSION >= 21400
    if (context != nullptr)
        xmlCtxtSetCharEncConvImpl(context, OpenUnderConverterName, nullptr);
#endif
    return context;
}

QByteArray ToXmlUtf8(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            clean.append(c).append(text.at(++i));
        } else {
            clean.append(XmlCanCarry(c.unicode()) ? c : QChar(QChar::ReplacementCharacter));
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
        throw StoreError(QStringLiteral("存在しないノードを操作しようとしました。"));
    return static_cast<xmlNodePtr>(node);
}

QByteArray CheckedName(const QString &name)
{
    QByteArray utf8 = name.toUtf8();
    if (xmlValidateName(BAD_CAST utf8.constData(), 0) != 0)
        throw StoreError(QStringLiteral("「%1」は XML の名前として使えません。").arg(name));
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

ErrorCapture::ErrorCapture()
    : m_previous(xmlStructuredError)
    , m_previousContext(xmlStructuredErrorContext)
{
    xmlSetStructuredErrorFunc(this, &ErrorCapture::Collect);
}

ErrorCapture::~ErrorCapture()
{
    xmlSetStructuredErrorFunc(m_previousContext, m_previous);
}

void ErrorCapture::Collect(void *context, Error error)
{
    auto *self = static_cast<ErrorCapture *>(context);
    if (error == nullptr || error->level < XML_ERR_ERROR || !self->m_text.isEmpty())
        return;
    self->m_text = XmlErrorText::Of(error->code, error->line, QString::fromUtf8(error->message).trimmed());
}

}
