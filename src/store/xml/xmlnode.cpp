#include "store/xml/xmldom.h"

#include "store/xml/xmllibrary.h"
#include "usermessages/storeerror.h"

using namespace XmlLibrary;

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
    QString text = FromXml(content);
    xmlFree(content);
    return text;
}

void XmlNode::setText(const QString &text)
{
    const xmlNodePtr node = Checked(m_node);
    if (node->type != XML_ELEMENT_NODE)
        throw StoreError(QStringLiteral("文字列を置き換えられるのは要素だけです。"));
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
    QString text = FromXml(value);
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
        throw StoreError(QStringLiteral("属性を持てるのは要素だけです。"));
    if (xmlSetProp(node, BAD_CAST CheckedName(name).constData(), BAD_CAST ToXmlUtf8(value).constData()) == nullptr)
        throw StoreError(QStringLiteral("属性「%1」を設定できません。").arg(name));
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
        throw StoreError(QStringLiteral("「%1」はここに加えられません。").arg(child.node().nodeName()));
    const xmlNodePtr added = xmlAddChild(node, newChild);
    if (added == nullptr)
        throw StoreError(QStringLiteral("「%1」を加えられません。").arg(child.node().nodeName()));
    child.release();
    return XmlNode(added);
}

XmlNode XmlNode::insertBefore(XmlNewNode &&child, const XmlNode &reference)
{
    const xmlNodePtr node = Checked(m_node);
    const xmlNodePtr newChild = Checked(child.m_node);
    const xmlNodePtr before = Checked(reference.m_node);
    if (node->type != XML_ELEMENT_NODE || IsDeclaration(newChild) || before->parent != node)
        throw StoreError(QStringLiteral("「%1」はここに加えられません。").arg(child.node().nodeName()));
    const xmlNodePtr added = xmlAddPrevSibling(before, newChild);
    if (added == nullptr)
        throw StoreError(QStringLiteral("「%1」を加えられません。").arg(child.node().nodeName()));
    child.release();
    return XmlNode(added);
}

void XmlNode::removeChild(XmlNode child)
{
    const xmlNodePtr removed = Checked(child.m_node);
    if (removed->parent != Checked(m_node))
        throw StoreError(QStringLiteral("「%1」は「%2」の子ではありません。").arg(child.nodeName(), nodeName()));
    xmlUnlinkNode(removed);
    xmlFreeNode(removed);
}
