// The peers that only parse: they build no bound objects, so they bound what reading can cost.
#ifndef BENCH_PEERS_RAW_PARSERS_H
#define BENCH_PEERS_RAW_PARSERS_H

#include <functional>
#include <string>

namespace peers {

// Each throws std::runtime_error when the text is not well-formed.
void expat_parse(const std::string& text);
void pugixml_parse(const std::string& text);

// Copies the text into a buffer of the returned function's own: the memory bandwidth limit.
std::function<void(const std::string&)> make_memory_copy(std::size_t size);

}  // namespace peers

#endif  // BENCH_PEERS_RAW_PARSERS_H
