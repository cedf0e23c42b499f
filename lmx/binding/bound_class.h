// What the declaration of a bound class needs: the error codes, the storage of its items, and
// the names of the reader and writer that its parse and write steps take. The definitions of a
// class's members include the parse and write drivers themselves.
#ifndef LMX_BOUND_CLASS_H
#define LMX_BOUND_CLASS_H

#include <iosfwd>
#include <string>
#include <utility>

#include "lmx/binding/choice_storage.h"
#include "lmx/binding/deep_trees.h"
#include "lmx/binding/order_record.h"
#include "lmx/binding/owned_pointers.h"
#include "lmx/errors.h"

namespace lmx {

// Where a check is written, for the reader's or writer's error record: the generated source
// file's name and a line in it.
struct s_call_site {
    const char* file;
    int line;
};

class c_xml_reader;
class c_xml_writer;
template <typename>
class ct_bound_parse;
template <typename>
class ct_bound_write;

}  // namespace lmx

#endif  // LMX_BOUND_CLASS_H
