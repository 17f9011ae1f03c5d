// JPEG files of plain pixels through libjpeg-turbo, which reads the B, G, R, X bytes as they are;
// a picture whose every pixel is grey goes in as one channel, which holds all it has in fewer
// bytes at the same quality.
//
// libjpeg reports errors with longjmp. The function that calls setjmp holds only plain data, so
// no C++ destructor is ever skipped; the file's bytes grow in a vector its caller owns.
#include "core/codecs.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstddef>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

namespace core {

namespace {

struct JpegErrorTrap {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrorTrap*>(cinfo->err)->jump, 1);
}
void JpegQuietMessage(j_common_ptr) {}

constexpr size_t kJpegChunk = 65536;

struct JpegDestination {
    jpeg_destination_mgr pub;
    std::vector<unsigned char>* bytes;
};

// No exception may cross libjpeg's frames, so a failed allocation comes back as false.
bool GrowBy(std::vector<unsigned char>& bytes, size_t more) {
    try {
        bytes.resize(bytes.size() + more);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void JpegInitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!GrowBy(*dest->bytes, kJpegChunk))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    dest->pub.next_output_byte = dest->bytes->data();
    dest->pub.free_in_buffer = dest->bytes->size();
}

boolean JpegEmptyOutput(j_compress_ptr cinfo) {
    // Called when the whole buffer is full.
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    std::vector<unsigned char>& bytes = *dest->bytes;
    size_t used = bytes.size();
    if (!GrowBy(bytes, std::max(used, kJpegChunk)))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    dest->pub.next_output_byte = bytes.data() + used;
    dest->pub.free_in_buffer = bytes.size() - used;
    return TRUE;
}

void JpegTermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<JpegDestination*>(cinfo->dest);
    dest->bytes->resize(dest->bytes->size() - dest->pub.free_in_buffer);
}

// `grey`: a row's worth of one-byte samples when every pixel is grey, else null.
EncodeStatus CompressJpeg(const Pixels& pixels, const JpegOptions& options, unsigned char* grey,
                          std::vector<unsigned char>& bytes) {
    jpeg_compress_struct cinfo{}; // zeroed: an error inside jpeg_create_compress finds nothing to free
    JpegErrorTrap trap;
    JpegDestination dest;
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = JpegErrorExit;
    trap.pub.output_message = JpegQuietMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        return trap.pub.msg_code == JERR_OUT_OF_MEMORY ? EncodeStatus::OutOfMemory : EncodeStatus::Failed;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = JpegInitDestination;
    dest.pub.empty_output_buffer = JpegEmptyOutput;
    dest.pub.term_destination = JpegTermDestination;
    dest.bytes = &bytes;
    cinfo.dest = &dest.pub;

    cinfo.image_width = static_cast<JDIMENSION>(pixels.width);
    cinfo.image_height = static_cast<JDIMENSION>(pixels.height);
    cinfo.input_components = grey ? 1 : 4;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(options.quality, 1, 100), TRUE);
    cinfo.optimize_coding = options.optimizeHuffman ? TRUE : FALSE;
    if (!grey) {
        int chroma = options.subsample420 ? 2 : 1;
        cinfo.comp_info[0].h_samp_factor = chroma;
        cinfo.comp_info[0].v_samp_factor = chroma;
        cinfo.comp_info[1].h_samp_factor = cinfo.comp_info[1].v_samp_factor = 1;
        cinfo.comp_info[2].h_samp_factor = cinfo.comp_info[2].v_samp_factor = 1;
    }

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint32_t* from = pixels.bgrx.data() + size_t(cinfo.next_scanline) * size_t(pixels.width);
        // libjpeg's row type is not const, but it only reads the rows.
        auto* row = reinterpret_cast<JSAMPLE*>(const_cast<uint32_t*>(from));
        if (grey) {
            for (size_t x = 0; x < size_t(pixels.width); ++x)
                grey[x] = static_cast<unsigned char>(from[x]);
            row = grey;
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return EncodeStatus::Ok;
}

} // namespace

EncodeStatus EncodeJpeg(const Pixels& pixels, const JpegOptions& options, std::vector<unsigned char>& file) {
    // libjpeg takes no side longer than JPEG_MAX_DIMENSION (65500) pixels.
    if (!ValidSize(pixels) || pixels.width > JPEG_MAX_DIMENSION || pixels.height > JPEG_MAX_DIMENSION)
        return EncodeStatus::BadSize;
    const bool grey = std::all_of(pixels.bgrx.begin(), pixels.bgrx.end(),
                                  [](uint32_t p) { return (p & 0xFFFFFF) == (p & 0xFF) * 0x010101u; });
    std::vector<unsigned char> bytes, greyRow;
    try {
        greyRow.resize(grey ? size_t(pixels.width) : 0);
    } catch (const std::bad_alloc&) {
        return EncodeStatus::OutOfMemory;
    }
    EncodeStatus status = CompressJpeg(pixels, options, grey ? greyRow.data() : nullptr, bytes);
    if (status == EncodeStatus::Ok)
        file.swap(bytes);
    return status;
}

} // namespace core
