// loading/jpeg.cpp -- JPEG to BMP conversion; see jpeg.h.
//
// The library reports fatal errors through its error manager, which must not
// return. Ours jumps back into decodeJpeg(), the one function that calls
// setjmp; it and everything it calls hold only plain C records, so the jump
// skips no destructor. All memory the library and the output module take
// belongs to the decompression object and goes with jpeg_destroy_decompress.
#include "loading/jpeg.h"

#include <csetjmp>
#include <cstring>

#include <jerror.h>

#include "core/report.h"
#include "loading/bmpfile.h"

const ZmJpgOption zmJpgImageConversionOption = {256, 0, 2, 0, 0, 0, 0, 0, 1, 1, 0};

namespace {

constexpr int kFirstAddonCode = 1000;
constexpr int kLastAddonCode = 1043;
constexpr int kBmpColorspaceError = 1005;
constexpr int kTooManyColorsError = 1039;

// The sample programs' messages, codes 1000 to 1043.
const char* const addonMessages[] = {
    nullptr,
    "Unsupported BMP colormap format",
    "Only 8- and 24-bit BMP files are supported",
    "Invalid BMP file: bad header length",
    "Invalid BMP file: biPlanes not equal to 1",
    "BMP output must be grayscale or RGB",
    "Sorry, compressed BMPs not yet supported",
    "Not a BMP file - does not start with BM",
    "%ux%u 24-bit BMP image",
    "%ux%u 8-bit colormapped BMP image",
    "%ux%u 24-bit OS2 BMP image",
    "%ux%u 8-bit colormapped OS2 BMP image",
    "GIF output got confused",
    "Bogus GIF codesize %d",
    "GIF output must be grayscale or RGB",
    "Too few images in GIF file",
    "Not a GIF file",
    "%ux%ux%d GIF image",
    "Warning: unexpected GIF version number '%c%c%c'",
    "Ignoring GIF extension block of type 0x%02x",
    "Caution: nonsquare pixels in input",
    "Corrupt data in GIF file",
    "Bogus char 0x%02x in GIF file, ignoring",
    "Premature end of GIF image",
    "Ran out of GIF bits",
    "PPM output must be grayscale or RGB",
    "Nonnumeric data in PPM file",
    "Not a PPM file",
    "%ux%u PGM image",
    "%ux%u text PGM image",
    "%ux%u PPM image",
    "%ux%u text PPM image",
    "Unsupported Targa colormap format",
    "Invalid or unsupported Targa file",
    "Targa output must be grayscale or RGB",
    "%ux%u RGB Targa image",
    "%ux%u grayscale Targa image",
    "%ux%u colormapped Targa image",
    "Color map file is invalid or of unsupported format",
    "Output file format cannot handle %d colormap entries",
    "ungetc failed",
    "Unrecognized input file format --- perhaps you need -targa",
    "Unsupported output file format",
    nullptr,
};
static_assert(sizeof addonMessages / sizeof addonMessages[0] == kLastAddonCode - kFirstAddonCode + 1);

// The standard error manager plus the way back out of a fatal error.
struct ZmJpegErrorMgr {
  jpeg_error_mgr pub;
  jmp_buf escape;
  char text[JMSG_LENGTH_MAX];  // the fatal error's message
};

void failConversion(j_common_ptr cinfo) {
  ZmJpegErrorMgr* err = (ZmJpegErrorMgr*)cinfo->err;
  (*cinfo->err->format_message)(cinfo, err->text);
  longjmp(err->escape, 1);
}

void raiseError(j_common_ptr cinfo, int code, int parameter) {
  cinfo->err->msg_code = code;
  cinfo->err->msg_parm.i[0] = parameter;
  (*cinfo->err->error_exit)(cinfo);
}

}  // namespace

// ---- the BMP output module -------------------------------------------------

struct ZmBmpDest {
  void (*start_output)(j_decompress_ptr, ZmBmpDest*);
  void (*put_pixel_rows)(j_decompress_ptr, ZmBmpDest*, JDIMENSION rows);
  void (*finish_output)(j_decompress_ptr, ZmBmpDest*);
  FILE* output_file;
  JSAMPARRAY buffer;  // one row for the library to decode into
  JDIMENSION buffer_height;
  int is_os2;
  jvirt_sarray_ptr whole_image;  // padded rows in decoding order
  JDIMENSION data_width;         // bytes of pixels in a row
  JDIMENSION row_width;          // data_width rounded up to a multiple of 4
  int pad_bytes;
  JDIMENSION cur_output_row;
};

namespace {

void putRows24(j_decompress_ptr cinfo, ZmBmpDest* dest, JDIMENSION) {
  JSAMPARRAY image = (*cinfo->mem->access_virt_sarray)((j_common_ptr)cinfo, dest->whole_image,
                                                        dest->cur_output_row, 1, TRUE);
  dest->cur_output_row++;
  JSAMPROW in = dest->buffer[0];
  JSAMPROW out = image[0];
  for (JDIMENSION x = 0; x < cinfo->output_width; x++, in += 3, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
  memset(out, 0, dest->pad_bytes);
}

void putRows8(j_decompress_ptr cinfo, ZmBmpDest* dest, JDIMENSION) {
  JSAMPARRAY image = (*cinfo->mem->access_virt_sarray)((j_common_ptr)cinfo, dest->whole_image,
                                                        dest->cur_output_row, 1, TRUE);
  dest->cur_output_row++;
  memcpy(image[0], dest->buffer[0], cinfo->output_width);
  memset(image[0] + cinfo->output_width, 0, dest->pad_bytes);
}

void startOutput(j_decompress_ptr, ZmBmpDest*) {}

void putLittleEndian(unsigned char* at, uint32_t value, int width) {
  for (int i = 0; i < width; i++) at[i] = (unsigned char)(value >> (8 * i));
}

void writeOrFail(j_decompress_ptr cinfo, FILE* file, const void* data, size_t size) {
  if (fwrite(data, 1, size, file) != size) raiseError((j_common_ptr)cinfo, JERR_FILE_WRITE, 0);
}

// The 8-bit map: the quantiser's colours as blue, green, red, or gray levels.
void writeColormap(j_decompress_ptr cinfo, ZmBmpDest* dest, int mapEntries, int entrySize) {
  int colors = cinfo->quantize_colors ? cinfo->actual_number_of_colors : 256;
  if (colors > mapEntries) raiseError((j_common_ptr)cinfo, kTooManyColorsError, colors);
  for (int i = 0; i < mapEntries; i++) {
    unsigned char entry[4] = {0, 0, 0, 0};
    if (i < colors) {
      if (!cinfo->quantize_colors) {
        entry[0] = entry[1] = entry[2] = (unsigned char)i;
      } else if (cinfo->out_color_components == 3) {
        entry[0] = cinfo->colormap[2][i];
        entry[1] = cinfo->colormap[1][i];
        entry[2] = cinfo->colormap[0][i];
      } else {
        entry[0] = entry[1] = entry[2] = cinfo->colormap[0][i];
      }
    }
    writeOrFail(cinfo, dest->output_file, entry, entrySize);
  }
}

void writeHeaders(j_decompress_ptr cinfo, ZmBmpDest* dest, int bits, int mapEntries) {
  int infoSize = dest->is_os2 ? 12 : 40;
  int entrySize = dest->is_os2 ? 3 : 4;
  uint64_t dataOffset = 14 + infoSize + (uint64_t)entrySize * mapEntries;
  uint64_t fileSize = dataOffset + (uint64_t)dest->row_width * cinfo->output_height;
  if (fileSize > UINT32_MAX || (dest->is_os2 && (cinfo->output_width > 0xFFFF || cinfo->output_height > 0xFFFF)))
    raiseError((j_common_ptr)cinfo, JERR_IMAGE_TOO_BIG, 0);

  unsigned char fileHeader[14] = {'B', 'M'};
  putLittleEndian(fileHeader + 2, (uint32_t)fileSize, 4);
  putLittleEndian(fileHeader + 10, (uint32_t)dataOffset, 4);
  writeOrFail(cinfo, dest->output_file, fileHeader, sizeof fileHeader);

  unsigned char info[40] = {0};
  putLittleEndian(info, (uint32_t)infoSize, 4);
  if (dest->is_os2) {
    putLittleEndian(info + 4, cinfo->output_width, 2);
    putLittleEndian(info + 6, cinfo->output_height, 2);
    putLittleEndian(info + 8, 1, 2);
    putLittleEndian(info + 10, (uint32_t)bits, 2);
  } else {
    bool perCentimetre = cinfo->density_unit == 2;
    putLittleEndian(info + 4, cinfo->output_width, 4);
    putLittleEndian(info + 8, cinfo->output_height, 4);
    putLittleEndian(info + 12, 1, 2);
    putLittleEndian(info + 14, (uint32_t)bits, 2);
    putLittleEndian(info + 24, perCentimetre ? cinfo->X_density * 100u : 0, 4);
    putLittleEndian(info + 28, perCentimetre ? cinfo->Y_density * 100u : 0, 4);
    putLittleEndian(info + 32, (uint32_t)mapEntries, 4);
  }
  writeOrFail(cinfo, dest->output_file, info, infoSize);
  if (mapEntries > 0) writeColormap(cinfo, dest, mapEntries, entrySize);
}

void finishOutput(j_decompress_ptr cinfo, ZmBmpDest* dest) {
  bool eightBits = dest->put_pixel_rows == putRows8;
  writeHeaders(cinfo, dest, eightBits ? 8 : 24, eightBits ? 256 : 0);
  for (JDIMENSION row = cinfo->output_height; row > 0; row--) {
    JSAMPARRAY image = (*cinfo->mem->access_virt_sarray)((j_common_ptr)cinfo, dest->whole_image, row - 1, 1, FALSE);
    writeOrFail(cinfo, dest->output_file, image[0], dest->row_width);
  }
  if (fflush(dest->output_file) != 0 || ferror(dest->output_file)) raiseError((j_common_ptr)cinfo, JERR_FILE_WRITE, 0);
}

// Comment markers: skipped, and shown on the error stream when tracing.
unsigned int nextMarkerByte(j_decompress_ptr cinfo) {
  jpeg_source_mgr* src = cinfo->src;
  if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo)) raiseError((j_common_ptr)cinfo, JERR_CANT_SUSPEND, 0);
  src->bytes_in_buffer--;
  return *src->next_input_byte++;
}

boolean processComment(j_decompress_ptr cinfo) {
  long length = nextMarkerByte(cinfo) << 8;
  length += nextMarkerByte(cinfo);
  length -= 2;
  bool trace = cinfo->err->trace_level >= 1;
  if (trace) fprintf(stderr, "Comment, length %ld:\n", length);
  unsigned int previous = 0;
  for (; length > 0; length--) {
    unsigned int c = nextMarkerByte(cinfo);
    if (!trace) continue;
    if (c == '\r') {
      fprintf(stderr, "\n");
    } else if (c == '\n') {
      if (previous != '\r') fprintf(stderr, "\n");
    } else if (c == '\\') {
      fprintf(stderr, "\\\\");
    } else if (c >= 0x20 && c < 0x7F) {
      putc((int)c, stderr);
    } else {
      fprintf(stderr, "\\%03o", c);
    }
    previous = c;
  }
  if (trace) fprintf(stderr, "\n");
  return TRUE;
}

// Verbose runs show the banner the first time and trace one level more.
// This comes before the header is read so that its comments are shown too.
void applyVerbose(j_decompress_ptr cinfo) {
  static bool bannerShown = false;
  if (!bannerShown) {
    bannerShown = true;
    fprintf(stderr, "Jpg2Bmp : based on IJG program djpeg.\n");
    fprintf(stderr, "%s\n%s\n", cinfo->err->jpeg_message_table[JMSG_VERSION],
            cinfo->err->jpeg_message_table[JMSG_COPYRIGHT]);
  }
  cinfo->err->trace_level++;
}

void applyOptions(j_decompress_ptr cinfo, const ZmJpgOption* options) {
  if (options->colors > 0) {
    cinfo->desired_number_of_colors = options->colors;
    cinfo->quantize_colors = TRUE;
  }
  cinfo->dct_method = (J_DCT_METHOD)options->dctMethod;
  cinfo->dither_mode = (J_DITHER_MODE)options->ditherMode;
  if (options->grayscale) cinfo->out_color_space = JCS_GRAYSCALE;
  if (options->maxMemory > 0) cinfo->mem->max_memory_to_use = 1000L * options->maxMemory;
  cinfo->do_fancy_upsampling = options->fancyUpsampling ? TRUE : FALSE;
  cinfo->two_pass_quantize = options->twoPassQuantize ? TRUE : FALSE;
  cinfo->scale_num = (unsigned int)options->scaleNum;
  cinfo->scale_denom = (unsigned int)options->scaleDenom;
  if (options->fast) {
    cinfo->two_pass_quantize = FALSE;
    cinfo->dither_mode = JDITHER_ORDERED;
    if (!cinfo->quantize_colors) cinfo->desired_number_of_colors = 216;
    cinfo->dct_method = JDCT_IFAST;
    cinfo->do_fancy_upsampling = FALSE;
  }
}

/*
 * decodeJpeg --
 *   The library's part of a conversion, from creating the decompression
 *   object to destroying it. Holds only plain records (see the file's
 *   first comment).
 * Results:
 *   The count of the library's warnings, or -1 after a fatal error, whose
 *   message is left in `failure`.
 */
long decodeJpeg(FILE* jpegFile, FILE* bmpFile, int os2, const ZmJpgOption* options, char* failure) {
  jpeg_decompress_struct cinfo;
  ZmJpegErrorMgr jerr;
  // Zeroed so that a failure inside jpeg_create_decompress finds no pool to free.
  memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = failConversion;
  if (setjmp(jerr.escape) != 0) {
    memcpy(failure, jerr.text, JMSG_LENGTH_MAX);
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  jpeg_create_decompress(&cinfo);
  jerr.pub.addon_message_table = addonMessages;
  jerr.pub.first_addon_message = kFirstAddonCode;
  jerr.pub.last_addon_message = kLastAddonCode;
  jpeg_set_marker_processor(&cinfo, JPEG_COM, processComment);
  jerr.pub.trace_level = 0;

  if (options != nullptr && options->verbose) applyVerbose(&cinfo);
  jpeg_stdio_src(&cinfo, jpegFile);
  jpeg_read_header(&cinfo, TRUE);
  if (options != nullptr) applyOptions(&cinfo, options);

  ZmBmpDest* dest = zmInitBmpOutput(&cinfo, os2);
  dest->output_file = bmpFile;
  jpeg_start_decompress(&cinfo);
  (*dest->start_output)(&cinfo, dest);
  while (cinfo.output_scanline < cinfo.output_height) {
    JDIMENSION rows = jpeg_read_scanlines(&cinfo, dest->buffer, dest->buffer_height);
    (*dest->put_pixel_rows)(&cinfo, dest, rows);
  }
  (*dest->finish_output)(&cinfo, dest);
  jpeg_finish_decompress(&cinfo);
  long warnings = jerr.pub.num_warnings;
  jpeg_destroy_decompress(&cinfo);
  return warnings;
}

}  // namespace

ZmBmpDest* zmInitBmpOutput(j_decompress_ptr cinfo, int os2) {
  ZmBmpDest* dest = (ZmBmpDest*)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_IMAGE, sizeof(ZmBmpDest));
  memset(dest, 0, sizeof *dest);
  dest->start_output = startOutput;
  dest->finish_output = finishOutput;
  dest->is_os2 = os2;
  if (cinfo->out_color_space == JCS_GRAYSCALE) {
    dest->put_pixel_rows = putRows8;
  } else if (cinfo->out_color_space == JCS_RGB) {
    dest->put_pixel_rows = cinfo->quantize_colors ? putRows8 : putRows24;
  } else {
    raiseError((j_common_ptr)cinfo, kBmpColorspaceError, 0);
  }
  jpeg_calc_output_dimensions(cinfo);
  dest->data_width = dest->put_pixel_rows == putRows24 ? cinfo->output_width * 3 : cinfo->output_width;
  dest->row_width = (dest->data_width + 3) & ~3u;
  dest->pad_bytes = (int)(dest->row_width - dest->data_width);
  // The whole image is held until the end; a forged frame size must not make
  // us ask for gigabytes.
  if ((uint64_t)dest->row_width * cinfo->output_height > ZM_BMP_MAX_PIXEL_BYTES)
    raiseError((j_common_ptr)cinfo, JERR_OUT_OF_MEMORY, 0);
  dest->whole_image = (*cinfo->mem->request_virt_sarray)((j_common_ptr)cinfo, JPOOL_IMAGE, FALSE, dest->row_width,
                                                         cinfo->output_height, 1);
  dest->cur_output_row = 0;
  dest->buffer = (*cinfo->mem->alloc_sarray)((j_common_ptr)cinfo, JPOOL_IMAGE,
                                             cinfo->output_width * cinfo->output_components, 1);
  dest->buffer_height = 1;
  return dest;
}

int zmJpg2Bmp(const char* jpegName, const char* bmpName, int format, const ZmJpgOption* options) {
  if (jpegName == nullptr) {
    zmReportWarning("zmJpg2Bmp: jpegfile name is not given.\n");
    return -1;
  }
  FILE* jpegFile = fopen(jpegName, "rb");
  if (jpegFile == nullptr) {
    zmReportWarning("zmJpg2Bmp: can't open jpegfile.\n");
    return -1;
  }
  if (bmpName == nullptr) {
    fclose(jpegFile);
    zmReportWarning("zmJpg2Bmp: bmpfile name is not given.\n");
    return -1;
  }
  FILE* bmpFile = fopen(bmpName, "wb");
  if (bmpFile == nullptr) {
    fclose(jpegFile);
    zmReportWarning("zmJpg2Bmp: can't open bmpfile %s\n", bmpName);
    return -1;
  }
  char failure[JMSG_LENGTH_MAX] = "";
  long warnings = decodeJpeg(jpegFile, bmpFile, format == 1, options, failure);
  fclose(jpegFile);
  if (fclose(bmpFile) != 0 && warnings >= 0) {
    snprintf(failure, sizeof failure, "%s", "Output file write error --- out of disk space?");
    warnings = -1;
  }
  if (warnings < 0) {
    zmReportWarning("zmJpg2Bmp: %s\n", failure);
    return -1;
  }
  if (warnings > 0) {
    zmReportWarning("JPEG internal warning\n");
    return -1;
  }
  return 0;
}
