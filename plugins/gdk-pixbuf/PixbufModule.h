#pragma once

// The gdk-pixbuf loader modules, one per phone kind: gdk-pixbuf finds a
// module by the MIME type it gives a file, and hands it the open file
// (whole-file loading) or the bytes piece by piece (incremental loading),
// never the file's name. Each module's entry points, fill_info and
// fill_vtable, come from ZEFIR_PIXBUF_MODULE.

#define GDK_PIXBUF_ENABLE_BACKEND
#include <gdk-pixbuf/gdk-pixbuf.h>
#undef GDK_PIXBUF_ENABLE_BACKEND

#include "plugins/PhoneLoader.h"

namespace zefir::pixbuf {

void FillInfo(GdkPixbufFormat* info, plugins::LoaderKind kind);

// The module functions, none of which lets an exception out: every failure
// is a GError and a null result.
GdkPixbuf* LoadFile(plugins::LoaderKind kind, FILE* file, GError** error);
gpointer BeginLoad(plugins::LoaderKind kind, GdkPixbufModuleSizeFunc sizeFunc,
                   GdkPixbufModulePreparedFunc preparedFunc, GdkPixbufModuleUpdatedFunc updatedFunc,
                   gpointer userData, GError** error);
gboolean LoadIncrement(gpointer context, const guchar* buffer, guint size, GError** error);
gboolean StopLoad(gpointer context, GError** error);

template <plugins::LoaderKind kKind> void FillVtable(GdkPixbufModule* module)
{
    module->load = [](FILE* file, GError** error) { return LoadFile(kKind, file, error); };
    module->begin_load =
        [](GdkPixbufModuleSizeFunc sizeFunc, GdkPixbufModulePreparedFunc preparedFunc,
           GdkPixbufModuleUpdatedFunc updatedFunc, gpointer userData, GError** error) {
            return BeginLoad(kKind, sizeFunc, preparedFunc, updatedFunc, userData, error);
        };
    module->load_increment = LoadIncrement;
    module->stop_load = StopLoad;
}

} // namespace zefir::pixbuf

// The two symbols gdk-pixbuf looks up in a module.
#define ZEFIR_PIXBUF_MODULE(kind)                                                                  \
    extern "C" G_MODULE_EXPORT void fill_info(GdkPixbufFormat* info)                               \
    {                                                                                              \
        zefir::pixbuf::FillInfo(info, kind);                                                       \
    }                                                                                              \
    extern "C" G_MODULE_EXPORT void fill_vtable(GdkPixbufModule* module)                           \
    {                                                                                              \
        zefir::pixbuf::FillVtable<kind>(module);                                                   \
    }
