// The gdk-pixbuf module for Moto Bitmaps (.k), 18-bit and 32-bit.

#include "plugins/gdk-pixbuf/PixbufModule.h"

ZEFIR_PIXBUF_MODULE(zefir::plugins::LoaderKind::MotoBitmap)
