#include "tools/SvgArt.h"

#include <librsvg/rsvg.h>

#include <cstdio>
#include <utility>

namespace Quill::Content {

SvgArt::SvgArt(std::filesystem::path file) : mFile(std::move(file)) {}

bool SvgArt::Render(const Canvas& target, double x, double y, double w, double h,
                    const std::string& styleSheet) const
{
    GError* error = nullptr;
    RsvgHandle* handle = rsvg_handle_new_from_file(mFile.c_str(), &error);
    if (!handle) {
        std::fprintf(stderr, "%s: %s\n", mFile.c_str(), error ? error->message : "unreadable");
        if (error)
            g_error_free(error);
        return false;
    }
    bool ok = true;
    if (!styleSheet.empty() &&
        !rsvg_handle_set_stylesheet(handle, reinterpret_cast<const guint8*>(styleSheet.data()),
                                    styleSheet.size(), &error))
        ok = false;
    const RsvgRectangle viewport{x, y, w, h};
    if (ok && !rsvg_handle_render_document(handle, target.Cr(), &viewport, &error))
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", mFile.c_str(), error ? error->message : "cannot render");
        if (error)
            g_error_free(error);
    }
    g_object_unref(handle);
    return ok;
}

} // namespace Quill::Content
