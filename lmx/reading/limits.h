// Every limit that protects the library from hostile input, in one place.
#ifndef LMX_LIMITS_H
#define LMX_LIMITS_H

#include <cstddef>

namespace lmx {

// Entity expansion ("billion laughs"): the bytes delivered from replacement texts may exceed
// k_entity_expansion_floor only while they stay within k_entity_amplification_ratio times the
// document bytes read so far.
constexpr std::size_t k_entity_expansion_floor = 8u * 1024u * 1024u;
constexpr std::size_t k_entity_amplification_ratio = 100;

// Default limit on element nesting, for binding, skipping and capturing alike.
constexpr unsigned int k_default_max_depth = 256;

// Default limit on the bytes of text, attribute values, CDATA and captured content one document
// may deliver, entity expansions included, so that an endless text node or value ends in an
// error rather than in exhausted memory.
constexpr unsigned long long k_default_max_value_bytes = 256ull * 1024 * 1024;

}  // namespace lmx

#endif  // LMX_LIMITS_H
