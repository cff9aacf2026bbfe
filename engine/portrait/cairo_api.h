// Cairo, opened when a PNG is first drawn rather than linked: the analysis
// tools start without loading Cairo and the dozen libraries it pulls in
// (X11, fontconfig, freetype, pixman, png), which would be most of their
// start-up time while only a portrait needs them.
#pragma once

#include <cairo.h>

namespace vindrel::portrait {

#define VINDREL_CAIRO_FUNCTIONS(X)                                                             \
    X(image_surface_create) X(create) X(status) X(destroy) X(surface_destroy) X(surface_flush) \
    X(surface_write_to_png) X(save) X(restore) X(clip) X(move_to) X(line_to) X(close_path)    \
    X(new_path) X(new_sub_path) X(arc) X(rectangle) X(paint) X(stroke) X(fill_preserve)       \
    X(set_source_rgb) X(set_line_width) X(set_line_join) X(set_line_cap)                      \
    X(select_font_face) X(set_font_size) X(show_text)

struct CairoApi {
#define VINDREL_CAIRO_POINTER(name) decltype(&::cairo_##name) name = nullptr;
    VINDREL_CAIRO_FUNCTIONS(VINDREL_CAIRO_POINTER)
#undef VINDREL_CAIRO_POINTER
};

// The functions of the shared library `soname`, opened once per name and
// kept for the life of the process. Throws PortraitError (in French) when
// the library or one of its functions cannot be found.
const CairoApi& LoadCairo(const char* soname = "libcairo.so.2");

} // namespace vindrel::portrait
