/* Every kelnl public header. */
#ifndef KELNL_KELNL_H
#define KELNL_KELNL_H

#include "nlbase.h"
#include "sscore.h"
#include "nlep.h"
#include "nlstd.h"
#include "nlnv.h"

#endif
