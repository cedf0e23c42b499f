// The whole DravikLmx runtime (namespace lmx).
#ifndef LMX_RUNTIME_H
#define LMX_RUNTIME_H

#include "lmx/big_numbers.h"
#include "lmx/binary.h"
#include "lmx/bound_parse.h"
#include "lmx/bound_write.h"
#include "lmx/byte_sources.h"
#include "lmx/char_classes.h"
#include "lmx/choice_storage.h"
#include "lmx/conversions.h"
#include "lmx/datetime.h"
#include "lmx/document_inspection.h"
#include "lmx/document_saving.h"
#include "lmx/dtd.h"
#include "lmx/entities.h"
#include "lmx/enum_literals.h"
#include "lmx/errors.h"
#include "lmx/event_tables.h"
#include "lmx/integer_bounds.h"
#include "lmx/limits.h"
#include "lmx/names.h"
#include "lmx/order_record.h"
#include "lmx/owned_pointers.h"
#include "lmx/reader.h"
#include "lmx/repository.h"
#include "lmx/tokenizer.h"
#include "lmx/utf8_getter.h"
#include "lmx/whitespace.h"
#include "lmx/writer.h"

#endif  // LMX_RUNTIME_H
