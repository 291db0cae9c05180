/* liblzs: the tool chain's packers as a library.
 *
 * The same code as lzspack, apppack, chkpak and appscramble, over bytes in
 * memory: a token stream (the LZ77 format the loader decodes), the two
 * packed containers the packers write, and the two scrambled images the
 * loader reads. Usable from C99, C++ and any language with a C foreign
 * function interface.
 *
 * Every function returns an lzs_error: LZS_OK, or why nothing useful was
 * written. None ends the process, none keeps state between calls, and the
 * caller owns all memory: a bound function says how large an output must
 * be, the library writes only inside the buffer it is given and says how
 * much it wrote. Only the smallest-stream search allocates (about 15 bytes
 * per input byte, freed before it returns); the default encoder uses a
 * fixed 1.0 MB of its own.
 *
 * Sizes: the containers store sizes as signed 32-bit words, so no input of
 * 2 GiB or more is packed into one (LZS_ERROR_INPUT_TOO_LARGE), as the
 * packers refuse it.
 */
#ifndef LZS_H
#define LZS_H

#include <stddef.h>
#include <stdint.h>

/* What the library exports: these functions and nothing else. A caller
 * needs no definition of its own, with the DLL's import library or without. */
#if defined(_WIN32) && defined(LZS_BUILDING_DLL)
#define LZS_API __declspec(dllexport)
#elif defined(__GNUC__) && !defined(_WIN32)
#define LZS_API __attribute__((visibility("default")))
#else
#define LZS_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The library's version: the programs' version, which it is built with. */
#define LZS_VERSION_MAJOR 1
#define LZS_VERSION_MINOR 0
#define LZS_VERSION_PATCH 0
/* MAJOR * 10000 + MINOR * 100 + PATCH */
#define LZS_VERSION_NUMBER (LZS_VERSION_MAJOR * 10000 + LZS_VERSION_MINOR * 100 + LZS_VERSION_PATCH)
#define LZS_VERSION_STRING "1.0.0"

/* The version of the library linked, which may differ from the header's. */
LZS_API unsigned lzs_version_number(void);
LZS_API const char* lzs_version_string(void);

/* What a call reports. The decoder's three texts are the programs' own. */
typedef enum lzs_error {
    LZS_OK = 0,
    LZS_ERROR_INVALID_ARGUMENT = 1,   /* a null pointer with a size, or an unknown mode or kind */
    LZS_ERROR_NO_MEMORY = 2,          /* the smallest-stream search's tables cannot be had */
    LZS_ERROR_OUTPUT_TOO_SMALL = 3,   /* the output buffer cannot hold the result */
    LZS_ERROR_INPUT_TOO_LARGE = 4,    /* 2 GiB or more, which no container can declare */
    LZS_ERROR_UNDER_RUN = 5,          /* a match reaches back before the output's start */
    LZS_ERROR_OVER_RUN = 6,           /* the stream produces more than the output holds */
    LZS_ERROR_TRUNCATED = 7,          /* the stream ends without its end mark, or inside a token */
    LZS_ERROR_BAD_HEADER = 8,         /* a container shorter than its header, a format word not 1,
                                         or a declared size of 2 GiB or more */
    LZS_ERROR_SIZE_MISMATCH = 9,      /* the stream holds another size than its container declares */
    LZS_ERROR_TOO_LONG_FOR_IMAGE = 10 /* the packed file is longer than the scrambled image */
} lzs_error;

/* A one-line text for `error`, never NULL ("unknown error" for a value not
 * listed above). */
LZS_API const char* lzs_error_message(lzs_error error);

/* ---- Token streams -------------------------------------------------- */

typedef enum lzs_mode {
    LZS_MODE_DEFAULT = 0, /* the packers' default encoder: the same bytes, byte for byte */
    LZS_MODE_SMALLEST = 1 /* --best: the smallest stream the format allows (slower, allocates) */
} lzs_mode;

/* The largest stream either mode writes for `input_size` bytes: every byte
 * a literal, a flag byte per eight tokens and the end mark. SIZE_MAX when
 * that does not fit a size_t. */
LZS_API size_t lzs_stream_bound(size_t input_size);

/* Packs `input_size` bytes at `input` into a token stream at `output`,
 * which has room for `capacity` bytes, and sets *written to the stream's
 * size. A capacity of lzs_stream_bound(input_size) always suffices; with
 * less, LZS_ERROR_OUTPUT_TOO_SMALL once the stream outgrows it (the buffer
 * then holds a cut stream). `input` may be NULL when `input_size` is 0. */
LZS_API lzs_error lzs_pack(const void* input, size_t input_size, void* output, size_t capacity, lzs_mode mode,
                           size_t* written);

/* Unpacks the token stream of `stream_size` bytes at `stream` into
 * `output`, `capacity` bytes, and sets *produced to the bytes it wrote up
 * to the end mark (or up to the error). Never reads or writes outside the
 * two buffers, whatever the stream holds: LZS_ERROR_UNDER_RUN,
 * LZS_ERROR_OVER_RUN or LZS_ERROR_TRUNCATED for a bad one. */
LZS_API lzs_error lzs_unpack(const void* stream, size_t stream_size, void* output, size_t capacity,
                             size_t* produced);

/* ---- Containers: a few header words, then the stream ---------------- */

typedef enum lzs_container {
    /* lzspack's .lzs: the format word 1, the original size, the stream */
    LZS_CONTAINER_LZS = 0,
    /* apppack's zq_app.bin: the original size, the stream. apppack packs the
     * part of the executable after its 2048-byte header. */
    LZS_CONTAINER_APP = 1
} lzs_container;

/* The header's size in bytes (8 or 4); 0 for an unknown kind. */
LZS_API size_t lzs_container_header_size(lzs_container kind);

/* The largest container of `kind` for `input_size` bytes. */
LZS_API size_t lzs_container_bound(lzs_container kind, size_t input_size);

/* Writes a whole container of `kind` for `input_size` bytes at `input` into
 * `output` (`capacity` bytes; lzs_container_bound suffices), byte for byte
 * what the packer writes for the same input and mode, and sets *written.
 * Refuses 2 GiB or more with LZS_ERROR_INPUT_TOO_LARGE. */
LZS_API lzs_error lzs_container_pack(lzs_container kind, const void* input, size_t input_size, void* output,
                                     size_t capacity, lzs_mode mode, size_t* written);

/* Reads the header of the container of `kind` in `file_size` bytes at
 * `file` and sets *original_size to the size it declares.
 * LZS_ERROR_BAD_HEADER for a file shorter than its header, a .lzs whose
 * format word is not 1, or a declared size of 2 GiB or more. */
LZS_API lzs_error lzs_container_read_header(lzs_container kind, const void* file, size_t file_size,
                                            uint32_t* original_size);

/* Unpacks the container of `kind` in `file_size` bytes at `file` into
 * `output` (`capacity` bytes; the declared size suffices) and sets
 * *produced. Refuses what the packers' proof refuses: a bad header as
 * lzs_container_read_header does, a stream that does not decode, and one
 * that decodes to another size than declared (LZS_ERROR_SIZE_MISMATCH).
 * LZS_ERROR_OUTPUT_TOO_SMALL when the declared size exceeds `capacity`. */
LZS_API lzs_error lzs_container_unpack(lzs_container kind, const void* file, size_t file_size, void* output,
                                       size_t capacity, size_t* produced);

/* ---- Scrambled images: what the loader reads ------------------------ */

typedef enum lzs_image {
    LZS_IMAGE_PAK = 0, /* chkpak's chkps.pak, 3600 bytes, from a .lzs container (chkps.lzs) */
    LZS_IMAGE_APP = 1  /* appscramble's zq_app2.bin, 204800 bytes, from zq_app.bin */
} lzs_image;

#define LZS_PAK_IMAGE_SIZE 3600
#define LZS_APP_IMAGE_SIZE 204800

/* The image's size in bytes; 0 for an unknown kind. */
LZS_API size_t lzs_image_size(lzs_image kind);

/* Writes the whole image of `kind` into `image` (`capacity` bytes, at least
 * lzs_image_size(kind)) from the packed file of `packed_size` bytes at
 * `packed`: byte for byte what the scrambler writes with that file as its
 * input. With `packed` NULL (and `packed_size` 0), the image the scrambler
 * writes without its input. A packed file longer than the image is refused
 * with LZS_ERROR_TOO_LONG_FOR_IMAGE, as the scramblers refuse it. With
 * `headroom` not NULL, sets it to the bytes of the image the file leaves
 * free, the figure the scramblers' -v line prints. The packed file is not
 * decoded: the scramblers take it as it stands. */
LZS_API lzs_error lzs_image_scramble(lzs_image kind, const void* packed, size_t packed_size, void* image,
                                     size_t capacity, size_t* headroom);

/* ---- In place: how close to its output the loader may load a stream -- */

/* For the token stream of `stream_size` bytes at `stream`, sets *offset to
 * S, the least offset from the start of the output buffer at which the
 * stream may lie and still be decoded there, and *end_margin to D = S + C -
 * N (C the stream's bytes up to its end mark, N what it decodes to): the
 * buffer is then N + D bytes with the stream at its end. Both are exact for
 * a decoder that reads a group's flag byte as the group starts and each
 * token's bytes just before it writes its output, as loader/'s decoders do;
 * lzsunpack -v prints the same figures. LZS_ERROR_UNDER_RUN or
 * LZS_ERROR_TRUNCATED for a stream that does not decode. */
LZS_API lzs_error lzs_in_place_margin(const void* stream, size_t stream_size, size_t* offset,
                                      size_t* end_margin);

#ifdef __cplusplus
}
#endif

#endif /* LZS_H */
