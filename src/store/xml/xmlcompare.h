#pragma once

#include <libxml/tree.h>

// Whether two trees hold the same document as the loader sees it: the same nodes with the same
// names, attributes and text, where indentation between elements, which loading drops, does not
// count. Only the files of store/xml include this header: it takes libxml2's nodes.
namespace XmlCompare {

// first and second are the first children of two parents; keepBlank says whether text of spaces
// alone counts there (inside an entry or an attribute) or is indentation.
bool SameChildren(xmlNodePtr first, xmlNodePtr second, bool keepBlank);

}
