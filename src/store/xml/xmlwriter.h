#pragma once

#include <QByteArray>

#include <libxml/tree.h>

#include <memory>

class RoundTripEncoder;

// Writes a document as month files are written: nothing added between elements, in the encoding
// its declaration names (UTF-8 without a declaration), characters the encoding cannot hold as
// character references. Only the files of store/xml include this header: it takes libxml2's document.
namespace XmlWriter {
// Throws StoreError. The caller keeps encoder from one write to the next.
QByteArray Write(xmlDocPtr doc, std::unique_ptr<RoundTripEncoder> &encoder);
}
