// The gdk-pixbuf module for Moto Images (.g), the GIF or PNG pictures they hold.

#include "plugins/gdk-pixbuf/PixbufModule.h"

ZEFIR_PIXBUF_MODULE(zefir::plugins::LoaderKind::MotoImage)
