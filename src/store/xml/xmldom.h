#pragma once

// The XML layer as the rest of the store sees it: a document of nodes, read from bytes and written
// back to them. The files of store/xml are the only ones that see libxml2; none of its types is
// named here.

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

class XmlNewNode;

// A non-owning handle to a node of an XmlDocument. It stays valid while the node is in its
// document's tree; removeChild frees the node, so handles to a removed node must not be used.
class XmlNode
{
public:
    XmlNode() = default;
    bool isNull() const { return m_node == nullptr; }
    QString nodeName() const;

    // All character content inside the node, joined.
    QString text() const;
    // Replaces every child by one text node holding text.
    void setText(const QString &text);

    // Empty text when the attribute is missing; hasAttribute tells the two apart.
    QString getAttribute(const QString &name) const;
    bool hasAttribute(const QString &name) const;
    void setAttribute(const QString &name, const QString &value);

    std::vector<XmlNode> childNodes() const;
    bool hasChildNodes() const;
    XmlNode parentNode() const;
    // The node becomes the last child; returns the handle of the node now in the tree.
    XmlNode appendChild(XmlNewNode &&child);
    // The node goes in just before reference, a child of this node.
    XmlNode insertBefore(XmlNewNode &&child, const XmlNode &reference);
    // Unlinks and frees child.
    void removeChild(XmlNode child);

    bool operator==(const XmlNode &other) const = default;

private:
    friend class XmlDocument;
    friend class XmlNewNode;
    explicit XmlNode(void *node)
        : m_node(node)
    {
    }
    void *m_node = nullptr;
};

// A node that is created but not yet in a tree. It owns the node until appendChild adopts it.
class XmlNewNode
{
public:
    XmlNewNode(XmlNewNode &&other) noexcept;
    XmlNewNode &operator=(XmlNewNode &&other) noexcept;
    XmlNewNode(const XmlNewNode &) = delete;
    XmlNewNode &operator=(const XmlNewNode &) = delete;
    ~XmlNewNode();

    // Lets the caller set attributes before the node is appended.
    XmlNode node() const { return XmlNode(m_node); }

private:
    friend class XmlDocument;
    friend class XmlNode;
    explicit XmlNewNode(void *node)
        : m_node(node)
    {
    }
    void *release();
    void *m_node = nullptr;
};

// The month document: an XML document whose declaration is a node of its own, as the month
// file shows it.
class XmlDocument
{
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument &) = delete;
    XmlDocument &operator=(const XmlDocument &) = delete;

    // Replaces the whole content with the document in bytes. On failure the document is empty,
    // false is returned and error names the reason. No DTD or external entity is ever loaded.
    bool loadXml(const QByteArray &bytes, QString *error);
    // The whole document, declaration included, in the encoding its declaration names.
    // Characters that encoding cannot hold are written as character references. Throws StoreError.
    QByteArray saveXml() const;
    // Whether other holds what loading this document's saved bytes gives: the same declaration and
    // nodes, indentation between elements aside.
    bool sameContent(const XmlDocument &other) const;

    void clear();
    // Replaces the whole content with a deep copy of other's. The copy shares nothing with other, not
    // even the library's name dictionary, so it may be written out on another thread meanwhile.
    void copyFrom(const XmlDocument &other);
    // Exchanges the whole content with other's; handles into either keep pointing at their nodes.
    void swap(XmlDocument &other) noexcept { std::swap(d, other.d); }
    XmlNode documentElement() const;

    XmlNewNode createElement(const QString &name);
    XmlNewNode createProcessingInstruction(const QString &target, const QString &data);
    // A deep copy of a node of another document, to be put into this one.
    XmlNewNode importNode(const XmlNode &node);
    // Appends a declaration or the root element to the document itself.
    XmlNode appendChild(XmlNewNode &&child);

    // Every element of exactly that name at any depth, in document order.
    std::vector<XmlNode> getElementsByTagName(const QString &name) const;

private:
    struct Impl;
    Impl *d;
};

// Whether an XML 1.0 document can hold the character in any form, even as a character reference:
// not the control characters but tab, LF and CR, nor U+FFFE, U+FFFF or half a surrogate pair. The
// layer writes each it cannot hold as U+FFFD, so that the file stays readable.
bool XmlCanCarry(char32_t c);
