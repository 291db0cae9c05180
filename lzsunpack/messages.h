// lzsunpack's own messages. The ones it shares with the packers (a file
// that cannot be opened, memory, writing the output) come from
// toolrt/exit_status.h, with the statuses (an existing output too: the
// commit refuses it there). Like theirs, each is a format
// for fail(), which adds one more "\n".
#pragma once

namespace lzsunpack {

// EXIT_USAGE
inline constexpr char MSG_USAGE[] = "Usage: %s [-v] [-f] [-c] [-t lzs|app|app2|pak] file [outfile]\n";
inline constexpr char MSG_UNKNOWN_FLAG[] =
    "Can't use %s: the flags are -v, -f, -c and -t KIND (see --help)!\n";
inline constexpr char MSG_NO_KIND[] = "Can't use -t without a kind: lzs, app, app2 or pak!\n";
inline constexpr char MSG_BAD_KIND[] =
    "Can't unpack a kind named %s: the kinds are lzs, app, app2 and pak!\n";
inline constexpr char MSG_BAD_REPORT[] =
    "Can't use %s: --map takes BYTES per range or FILE.svg, --svg takes FILE!\n";
inline constexpr char MSG_UNKNOWN_KIND[] = "Can't tell the kind of %s from its name: give it with -t!\n";
inline constexpr char MSG_STDIN_NEEDS_KIND[] = "Can't tell the kind of standard input: give it with -t!\n";

// EXIT_DATA: the file, then unpack_error_reason().
inline constexpr char MSG_CANT_UNPACK[] = "Can't unpack %s: %s\n";

// On stdout, for --help, after the usage line.
inline constexpr char HELP_TEXT[] =
    "Unpacks an image of the tool chain and writes the original bytes.\n"
    "  -v       also print the token statistics of the stream, for a .lzs or\n"
    "           zq_app.bin whether it fits the image it is scrambled into, and\n"
    "           the in-place margins S and D of the stream and of the file\n"
    "  -f       replace an existing output file\n"
    "  -c       write the original bytes to standard output (as outfile -)\n"
    "  -t KIND  the kind of image, instead of the one its name tells:\n"
    "           lzs (x.lzs), app (zq_app.bin), app2 (zq_app2.bin), pak (chkps.pak)\n"
    "  --map    after the report, the stream bytes each of 64 ranges of the\n"
    "           original cost, the five costliest, and the image's capacity\n"
    "  --map=BYTES  the same with BYTES bytes of the original per range\n"
    "  --svg FILE   the map as a picture in FILE (also --map=FILE.svg)\n"
    "  --json   the report as one JSON object on stdout instead of the text\n"
    "Without outfile the output is the file's name with its extension replaced:\n"
    "x.lzs -> x, zq_app.bin -> zq_app.body, zq_app2.bin -> zq_app2.body,\n"
    "chkps.pak -> chkps.unpak. file - reads standard input (give -t) and\n"
    "writes standard output. When the bytes go to standard output, the report\n"
    "goes to standard error.\n";

}  // namespace lzsunpack
