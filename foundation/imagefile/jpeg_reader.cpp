// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include "foundation/DExceptFile.h"
#include "foundation/imagefile/image_file.h"

namespace mirel {
namespace {

constexpr size_t kBufferSize = 4096;
// Enough for any image DImage accepts; libjpeg fails a larger demand instead of allocating it.
constexpr long kMaxMemory = 512L << 20;

// The decompressor with our error manager and data source; plain data only, so that a longjmp
// out of libjpeg skips no destructor.
struct JpegRead {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    jmp_buf fatal;
    jpeg_source_mgr source;
    DFile* file;
    bool gotData;
    JOCTET buffer[kBufferSize];
    DImage* image;
    bool created;
};

JpegRead& Of(j_common_ptr cinfo) { return *static_cast<JpegRead*>(cinfo->client_data); }

void OnFatal(j_common_ptr cinfo) { longjmp(Of(cinfo).fatal, 1); }
// Messages are not shown; warnings are only counted.
void OnOutput(j_common_ptr) {}
void OnEmit(j_common_ptr cinfo, int level) {
    if (level < 0) ++cinfo->err->num_warnings;
}

// Bytes read, or -1; the file's own errors never leave here.
int32_t ReadFile(DFile& file, JOCTET* buffer) {
    try {
        return file.Read(buffer, kBufferSize);
    } catch (const DExceptFile&) {
        return -1;
    }
}

bool SkipInFile(DFile& file, long bytes) {
    try {
        return bytes <= INT32_MAX &&
               file.Seek(static_cast<int32_t>(bytes), DDataOverride::SeekCurrent);
    } catch (const DExceptFile&) {
        return false;
    }
}

bool Rewind(DFile& file) {
    try {
        return file.Seek(0, DDataOverride::SeekBegin);
    } catch (const DExceptFile&) {
        return false;
    }
}

void InitSource(j_decompress_ptr cinfo) {
    JpegRead& read = Of(reinterpret_cast<j_common_ptr>(cinfo));
    Rewind(*read.file);
    read.gotData = false;
}

boolean FillBuffer(j_decompress_ptr cinfo) {
    JpegRead& read = Of(reinterpret_cast<j_common_ptr>(cinfo));
    int32_t n = ReadFile(*read.file, read.buffer);
    if (n <= 0) {
        if (!read.gotData) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // The file ends early: finish the image with an end-of-image marker.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        read.buffer[0] = 0xFF;
        read.buffer[1] = JPEG_EOI;
        n = 2;
    }
    read.gotData = true;
    read.source.next_input_byte = read.buffer;
    read.source.bytes_in_buffer = static_cast<size_t>(n);
    return TRUE;
}

void SkipData(j_decompress_ptr cinfo, long bytes) {
    JpegRead& read = Of(reinterpret_cast<j_common_ptr>(cinfo));
    if (bytes <= 0) return;
    if (static_cast<size_t>(bytes) <= read.source.bytes_in_buffer) {
        read.source.next_input_byte += bytes;
        read.source.bytes_in_buffer -= static_cast<size_t>(bytes);
        return;
    }
    const long beyond = bytes - static_cast<long>(read.source.bytes_in_buffer);
    read.source.bytes_in_buffer = 0;
    if (!SkipInFile(*read.file, beyond)) ERREXIT(cinfo, JERR_FILE_READ);
}

void TermSource(j_decompress_ptr) {}

// The libjpeg part, between setjmp and the end: no C++ object with a destructor lives here.
bool Decode(JpegRead& read) {
    jpeg_decompress_struct& cinfo = read.cinfo;
    if (setjmp(read.fatal)) return false;

    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width > static_cast<JDIMENSION>(DImage::kMaxSide) ||
        cinfo.image_height > static_cast<JDIMENSION>(DImage::kMaxSide))
        return false;
    cinfo.out_color_space = JCS_RGB;
    cinfo.dct_method = JDCT_FLOAT;
    jpeg_start_decompress(&cinfo);

    DImage& image = *read.image;
    if (cinfo.output_components != 3 ||
        !image.CreateAutoPitch(static_cast<int32_t>(cinfo.output_width),
                               static_cast<int32_t>(cinfo.output_height), DImageKind::RGB24))
        return false;
    read.created = true;
    image.FirstRow();
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.PixelAddress(0, static_cast<int32_t>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

bool DimgLoadJpeg(DFile& file, DImage& image) {
    auto* read = new JpegRead{};
    read->file = &file;
    read->image = &image;
    read->cinfo.err = jpeg_std_error(&read->errors);
    read->errors.error_exit = &OnFatal;
    read->errors.output_message = &OnOutput;
    read->errors.emit_message = &OnEmit;
    read->cinfo.client_data = read;

    volatile bool ok = false;
    if (!setjmp(read->fatal)) {
        jpeg_create_decompress(&read->cinfo);
        read->cinfo.mem->max_memory_to_use = kMaxMemory;
        read->source.init_source = &InitSource;
        read->source.fill_input_buffer = &FillBuffer;
        read->source.skip_input_data = &SkipData;
        read->source.resync_to_restart = &jpeg_resync_to_restart;
        read->source.term_source = &TermSource;
        read->cinfo.src = &read->source;
        ok = Decode(*read);
    }
    jpeg_destroy_decompress(&read->cinfo);

    if (read->created) image.EndAccess();
    if (!ok && read->created) image.ReleasePixels();
    delete read;
    return ok;
}

}  // namespace mirel
