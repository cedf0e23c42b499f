// The whole DravikLmx runtime (namespace lmx).
#ifndef LMX_RUNTIME_H
#define LMX_RUNTIME_H

#include "lmx/binding/bound_parse.h"
#include "lmx/binding/bound_write.h"
#include "lmx/binding/choice_storage.h"
#include "lmx/binding/enum_literals.h"
#include "lmx/binding/order_record.h"
#include "lmx/binding/owned_pointers.h"
#include "lmx/errors.h"
#include "lmx/event_tables.h"
#include "lmx/reading/byte_sources.h"
#include "lmx/reading/document_inspection.h"
#include "lmx/reading/dtd.h"
#include "lmx/reading/entities.h"
#include "lmx/reading/limits.h"
#include "lmx/reading/names.h"
#include "lmx/reading/reader.h"
#include "lmx/reading/repository.h"
#include "lmx/reading/tokenizer.h"
#include "lmx/reading/utf8_getter.h"
#include "lmx/values/big_numbers.h"
#include "lmx/values/binary.h"
#include "lmx/values/char_classes.h"
#include "lmx/values/conversions.h"
#include "lmx/values/datetime.h"
#include "lmx/values/integer_bounds.h"
#include "lmx/values/whitespace.h"
#include "lmx/writing/document_saving.h"
#include "lmx/writing/writer.h"

#endif  // LMX_RUNTIME_H
