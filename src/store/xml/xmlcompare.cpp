#include "store/xml/xmlcompare.h"

#include "store/xml/xmllibrary.h"

#include <libxml/entities.h>

#include <cstring>

namespace XmlCompare {

namespace {

// Entries are long; the C library compares them many times faster than the XML library's loop.
bool SameText(const xmlChar *first, const xmlChar *second)
{
    if (first == nullptr || second == nullptr)
        return first == second;
    return std::strcmp(reinterpret_cast<const char *>(first), reinterpret_cast<const char *>(second)) == 0;
}

bool Ignored(xmlNodePtr node, bool keepBlank)
{
    const bool text = node->type == XML_TEXT_NODE;
    return text && (node->content == nullptr || *node->content == 0 || (!keepBlank && XmlLibrary::IsBlankText(node)));
}

xmlNodePtr NextCounted(xmlNodePtr node, bool keepBlank)
{
    while (node != nullptr && Ignored(node, keepBlank))
        node = node->next;
    return node;
}

bool SameNamespace(xmlNsPtr first, xmlNsPtr second)
{
    if (first == nullptr || second == nullptr)
        return first == second;
    return xmlStrEqual(first->prefix, second->prefix) && xmlStrEqual(first->href, second->href);
}

bool SameDeclaredNamespaces(xmlNsPtr first, xmlNsPtr second)
{
    for (; first != nullptr && second != nullptr; first = first->next, second = second->next) {
        if (!SameNamespace(first, second))
            return false;
    }
    return first == second;
}

bool SameAttributes(xmlAttrPtr first, xmlAttrPtr second)
{
    for (; first != nullptr && second != nullptr; first = first->next, second = second->next) {
        if (!xmlStrEqual(first->name, second->name) || !SameNamespace(first->ns, second->ns)
            || !SameChildren(first->children, second->children, true))
            return false;
    }
    return first == second;
}

bool SameElement(xmlNodePtr first, xmlNodePtr second, bool keepBlank)
{
    return SameNamespace(first->ns, second->ns) && SameDeclaredNamespaces(first->nsDef, second->nsDef)
        && SameAttributes(first->properties, second->properties)
        && SameChildren(
            first->children, second->children, keepBlank || xmlStrEqual(first->name, XmlLibrary::EntryElementName));
}

// Declarations in a document type are different structures; each is compared by what it holds.
bool SameNode(xmlNodePtr first, xmlNodePtr second, bool keepBlank)
{
    if (first->type != second->type || !xmlStrEqual(first->name, second->name))
        return false;
    switch (first->type) {
    case XML_ELEMENT_NODE:
        return SameElement(first, second, keepBlank);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        return SameText(first->content, second->content);
    case XML_DTD_NODE: {
        const auto firstType = reinterpret_cast<xmlDtdPtr>(first);
        const auto secondType = reinterpret_cast<xmlDtdPtr>(second);
        return xmlStrEqual(firstType->ExternalID, secondType->ExternalID)
            && xmlStrEqual(firstType->SystemID, secondType->SystemID)
            && SameChildren(first->children, second->children, true);
    }
    case XML_ENTITY_DECL: {
        const auto firstEntity = reinterpret_cast<xmlEntityPtr>(first);
        const auto secondEntity = reinterpret_cast<xmlEntityPtr>(second);
        return firstEntity->etype == secondEntity->etype && xmlStrEqual(firstEntity->content, secondEntity->content)
            && xmlStrEqual(firstEntity->ExternalID, secondEntity->ExternalID)
            && xmlStrEqual(firstEntity->SystemID, secondEntity->SystemID);
    }
    default:
        return true;
    }
}

}

bool SameChildren(xmlNodePtr first, xmlNodePtr second, bool keepBlank)
{
    for (;;) {
        first = NextCounted(first, keepBlank);
        second = NextCounted(second, keepBlank);
        if (first == nullptr || second == nullptr)
            return first == second;
        if (!SameNode(first, second, keepBlank))
            return false;
        first = first->next;
        second = second->next;
    }
}

}
