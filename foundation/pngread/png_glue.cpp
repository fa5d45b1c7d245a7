#include "foundation/pngread/png_glue.h"

namespace pngread {
namespace {

void sendMessage(png_structp png, png_const_charp text) {
    const Glue* glue = static_cast<const Glue*>(png_get_error_ptr(png));
    if (glue->message) glue->message(glue->user, text);
}

void onError(png_structp png, png_const_charp text) {
    sendMessage(png, text);
    png_longjmp(png, 1);
}

// libpng 1.6 reports benign problems (an odd colour profile, say) as warnings.
void onWarning(png_structp png, png_const_charp text) { sendMessage(png, text); }

void onRead(png_structp png, png_bytep data, size_t length) {
    const Glue* glue = static_cast<const Glue*>(png_get_io_ptr(png));
    if (const char* failure = glue->read(glue->user, data, length)) png_error(png, failure);
}

}  // namespace

png_structp createReadStruct(Glue* glue) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, glue, &onError, &onWarning);
    if (png) png_set_read_fn(png, glue, &onRead);
    return png;
}

}  // namespace pngread
