#include "raw_parsers.h"

#include <expat.h>

#include <climits>
#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <stdexcept>
#include <vector>

namespace peers {

void expat_parse(const std::string& text) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        throw std::runtime_error("Expat: a document over 2 GB needs reading in parts");
    }
    const std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreate(nullptr),
                                                                         XML_ParserFree);
    if (!parser) throw std::bad_alloc();
    // Empty callbacks: Expat still finds every name, attribute and text run.
    XML_SetElementHandler(
        parser.get(), [](void*, const XML_Char*, const XML_Char**) {},
        [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser.get(), [](void*, const XML_Char*, int) {});
    if (XML_Parse(parser.get(), text.data(), static_cast<int>(text.size()), XML_TRUE) !=
        XML_STATUS_OK) {
        throw std::runtime_error(std::string("Expat: ") +
                                 XML_ErrorString(XML_GetErrorCode(parser.get())));
    }
}

void pugixml_parse(const std::string& text) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(text.data(), text.size());
    if (!result) throw std::runtime_error(std::string("pugixml: ") + result.description());
}

std::function<void(const std::string&)> make_memory_copy(std::size_t size) {
    // Written once here so that the timed copies do not pay for the first touch of the pages.
    auto buffer = std::make_shared<std::vector<char>>(size, '\0');
    return [buffer](const std::string& text) {
        if (text.size() > buffer->size()) buffer->resize(text.size());
        std::memcpy(buffer->data(), text.data(), text.size());
        // The copy is read back so that it cannot be left out.
        if (!text.empty() && (*buffer)[text.size() / 2] != text[text.size() / 2]) {
            throw std::runtime_error("memcpy: the copy differs");
        }
    };
}

}  // namespace peers
