// Counts of the elements and attributes in a document, to tell when loading and writing it
// again has dropped some.
#ifndef DRAVIK_XML_MARKUP_CENSUS_H
#define DRAVIK_XML_MARKUP_CENSUS_H

#include <cstddef>
#include <string_view>

namespace dravik_xml {

struct markup_census {
    std::size_t elements = 0;
    // Namespace declarations are not counted: the writer places its own.
    std::size_t attributes = 0;
};

// False when the bytes are not a well-formed document.
bool take_census(std::string_view bytes, markup_census* census);

}  // namespace dravik_xml

#endif  // DRAVIK_XML_MARKUP_CENSUS_H
