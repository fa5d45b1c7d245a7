#include <gtest/gtest.h>

#include <jpeglib.h>
#include <cstdio>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/imagefile/image_file.h"
#include "foundation/pack/DMFile.h"
#include "tests/foundation/imagefile/image_test_support.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tools/writers/dmf_writer.h"

namespace mirel {
namespace {

using tessera::test::jpegFile;
using tessera::test::Pixels;

// A smooth picture that JPEG keeps closely.
Pixels Gradient(int width, int height, int channels) {
    Pixels p{width, height, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                p.bytes.push_back(static_cast<uint8_t>(40 + x * 6 + y * 4 + c * 30));
    return p;
}

// The rows as libjpeg's own memory source decodes them with the same settings.
std::vector<uint8_t> ReferenceDecode(const std::string& jpeg) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.dct_method = JDCT_FLOAT;
    jpeg_start_decompress(&cinfo);
    std::vector<uint8_t> out(static_cast<size_t>(cinfo.output_width) * 3 * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.data() + cinfo.output_scanline * cinfo.output_width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

std::vector<uint8_t> Rows(const DImage& image) {
    std::vector<uint8_t> out;
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.PixelAddress(0, y);
        out.insert(out.end(), row, row + image.Width() * 3);
    }
    return out;
}

TEST(JpegReader, DecodesLikeLibjpegAndCloseToTheOriginal) {
    const Pixels original = Gradient(16, 16, 3);
    const std::string jpeg = jpegFile(original);
    DImage image;
    ASSERT_TRUE(LoadBytes(DimgLoadJpeg, jpeg, image));
    EXPECT_EQ(image.Kind(), DImageKind::RGB24);
    EXPECT_EQ(image.Width(), 16);
    EXPECT_EQ(image.Height(), 16);
    const std::vector<uint8_t> rows = Rows(image);
    EXPECT_EQ(rows, ReferenceDecode(jpeg));
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_NEAR(rows[i], original.bytes[i], 6) << i;
}

TEST(JpegReader, GreyBecomesRgb) {
    const std::string jpeg = jpegFile(Gradient(8, 8, 1));
    DImage image;
    ASSERT_TRUE(LoadBytes(DimgLoadJpeg, jpeg, image));
    EXPECT_EQ(image.Kind(), DImageKind::RGB24);
    const std::string pixel = PixelAt(image, 3, 5);
    EXPECT_EQ(pixel[0], pixel[1]);
    EXPECT_EQ(pixel[1], pixel[2]);
}

TEST(JpegReader, ATruncatedFileStillLoadsAndAnEmptyOneFails) {
    const std::string jpeg = jpegFile(Gradient(64, 64, 3));
    DImage half;
    ASSERT_TRUE(LoadBytes(DimgLoadJpeg, jpeg.substr(0, jpeg.size() / 2), half));
    EXPECT_EQ(half.Width(), 64);
    EXPECT_EQ(half.Height(), 64);

    DImage empty;
    EXPECT_FALSE(LoadBytes(DimgLoadJpeg, "", empty));
    EXPECT_FALSE(LoadBytes(DimgLoadJpeg, jpeg.substr(0, 100), empty));  // inside the header
    EXPECT_FALSE(LoadBytes(DimgLoadJpeg, "BM not a jpeg", empty));
    EXPECT_EQ(empty.Pixels(), nullptr);
}

// A comment longer than the 4096-byte buffer is skipped by seeking the file, here a member
// of an archive.
TEST(JpegReader, LongSegmentsAreSkippedBySeeking) {
    const std::string jpeg = jpegFile(Gradient(16, 16, 3), 10000);
    ASSERT_GT(jpeg.size(), 10000u);
    DFile archiveFile;
    tessera::test::attachMemory(
        archiveFile, tools::writers::writeDmf({{"pad", "xyz"}, {"a.jpg", jpeg}, {"after", "zz"}}));
    DMFile archive;
    ASSERT_TRUE(archive.Open(archiveFile));
    DFile member;
    ASSERT_TRUE(archive.OpenData(member, "a.jpg"));
    DImage image;
    ASSERT_TRUE(DimgLoadJpeg(member, image));
    EXPECT_EQ(Rows(image), ReferenceDecode(jpeg));
}

}  // namespace
}  // namespace mirel
