// The whole DravikLmx runtime (namespace lmx).
#ifndef LMX_RUNTIME_H
#define LMX_RUNTIME_H

#include "lmx/errors.h"
#include "lmx/limits.h"
#include "lmx/char_classes.h"
#include "lmx/whitespace.h"
#include "lmx/repository.h"
#include "lmx/byte_sources.h"
#include "lmx/utf8_getter.h"
#include "lmx/entities.h"
#include "lmx/dtd.h"
#include "lmx/event_tables.h"

#endif  // LMX_RUNTIME_H
