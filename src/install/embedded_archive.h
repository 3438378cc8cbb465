// The product, carried in the program as resource RARFILE 105.
#pragma once

#include "archive/archive_image.h"

// The program's one archive image, filled from resource RARFILE 105.
extern ArchiveImage programArchive;

// Fills image from the program's own RARFILE resource with the given id;
// data null and size 0 when there is none.
void LoadEmbeddedArchive(ArchiveImage* image, int resourceId);
