// The gdk-pixbuf module for raw pictures (.raw), whose size is in their file name.

#include "plugins/gdk-pixbuf/PixbufModule.h"

ZEFIR_PIXBUF_MODULE(zefir::plugins::LoaderKind::Raw)
