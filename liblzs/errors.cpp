// The library's version and its one error enum with a text for each value.
// The decoder's texts are the programs' own (decode_messages.h), so a
// caller that prints them says what lzspack and lzsunpack say.
#include "liblzs/errors.h"

#include "liblzs/decode_messages.h"

unsigned lzs_version_number(void) { return LZS_VERSION_NUMBER; }

const char* lzs_version_string(void) { return LZS_VERSION_STRING; }

const char* lzs_error_message(lzs_error error)
{
    switch (error) {
    case LZS_OK:
        return "no error";
    case LZS_ERROR_INVALID_ARGUMENT:
        return "invalid argument: a null pointer with a size, or an unknown mode or kind";
    case LZS_ERROR_NO_MEMORY:
        return "Can't allocate memory!";
    case LZS_ERROR_OUTPUT_TOO_SMALL:
        return "the output buffer is too small";
    case LZS_ERROR_INPUT_TOO_LARGE:
        return "2 GiB or more is too large";
    case LZS_ERROR_UNDER_RUN:
        return liblzs::decode_error_message(codec::DecodeError::UNDER_RUN);
    case LZS_ERROR_OVER_RUN:
        return liblzs::decode_error_message(codec::DecodeError::OVER_RUN);
    case LZS_ERROR_TRUNCATED:
        return liblzs::decode_error_message(codec::DecodeError::TRUNCATED);
    case LZS_ERROR_BAD_HEADER:
        return "not a container of that kind: a header cut short, a format word not 1, or a size of 2 GiB or "
               "more";
    case LZS_ERROR_SIZE_MISMATCH:
        return "Can't decode correctly!";
    case LZS_ERROR_TOO_LONG_FOR_IMAGE:
        return "longer than the image";
    }
    return "unknown error";
}

namespace liblzs {

lzs_error from_decode(codec::DecodeError error)
{
    switch (error) {
    case codec::DecodeError::NONE:
        return LZS_OK;
    case codec::DecodeError::UNDER_RUN:
        return LZS_ERROR_UNDER_RUN;
    case codec::DecodeError::OVER_RUN:
        return LZS_ERROR_OVER_RUN;
    case codec::DecodeError::TRUNCATED:
        break;
    }
    return LZS_ERROR_TRUNCATED;
}

lzs_error from_encode(codec::EncodeError error)
{
    switch (error) {
    case codec::EncodeError::NONE:
        return LZS_OK;
    case codec::EncodeError::NO_MEMORY:
        return LZS_ERROR_NO_MEMORY;
    case codec::EncodeError::SHORT_WRITE:
        // The library's sink is the caller's buffer: it only fills up.
        return LZS_ERROR_OUTPUT_TOO_SMALL;
    case codec::EncodeError::UNENCODABLE_MATCH:
        break;
    }
    // The encoders never write a match the format cannot hold.
    return LZS_ERROR_INVALID_ARGUMENT;
}

}  // namespace liblzs
