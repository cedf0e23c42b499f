// The whitespace facet of a simple type, applied by the reader while it collects text.
#ifndef LMX_WHITESPACE_H
#define LMX_WHITESPACE_H

namespace lmx {

enum elmx_whitespace { ELMX_WS_PRESERVE = 0, ELMX_WS_REPLACE = 1, ELMX_WS_COLLAPSE = 2 };

}  // namespace lmx

#endif  // LMX_WHITESPACE_H
