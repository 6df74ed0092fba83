/* Every kelnl public header. */
#ifndef KELNL_KELNL_H
#define KELNL_KELNL_H

#include "nlbase.h"
#include "sscore.h"
#include "nlep.h"
#include "nlstd.h"
#include "nlht.h"
#include "nlpa.h"
#include "nlsp.h"
#include "nlckp.h"
#include "nlui.h"
#include "snlpc.h"
#include "snlf.h"
#include "nlfn.h"
#include "nlem.h"
#include "nler.h"
#include "nlda.h"
#include "nlba.h"
#include "nlds.h"
#include "nlfi.h"
#include "nlcp.h"
#include "nldt.h"
#include "nltm.h"
#include "nlerrors.h"
#include "snlerrors.h"
#include "kelerrors.h"
#include "nltrmsg.h"
#include "nlnv.h"
#include "nlrn.h"
#include "nlad.h"

#endif
