// The removal itself, over the records of a log already read: filters
// unregistered, files deleted, folders removed deepest first, the uninstall
// entry and the program last; only inside the product's places, and never
// through a link.
#pragma once

#include "shared/log_records.h"
#include "uninstall/product_places.h"
#include "uninstall/uninstall_outcome.h"

// programPath is the running program's file; progress moves when
// showProgress is set.
void RemoveProduct(const LogRecords& records, const ProductPlaces& places, const char* programPath,
                   bool showProgress, UninstallOutcome* outcome);
