/* The least any PNG-to-TGA conversion must do: read the file and inflate its pixel data with
 * libdeflate, nothing else. The floor of bench/run. Usage: inflate_floor in.png */
#include <libdeflate.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static unsigned long BigEndian(const unsigned char* p) {
    return (unsigned long)p[0] << 24 | (unsigned long)p[1] << 16 | (unsigned long)p[2] << 8 | p[3];
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s in.png\n", argv[0]);
        return 2;
    }
    FILE* file = fopen(argv[1], "rb");
    if (file == NULL || fseek(file, 0, SEEK_END) != 0) {
        return 1;
    }
    const long size = ftell(file);
    unsigned char* bytes = malloc((size_t)size);
    rewind(file);
    if (bytes == NULL || fread(bytes, 1, (size_t)size, file) != (size_t)size || size < 33) {
        return 1;
    }
    fclose(file);
    /* Non-interlaced rows of the header's size, each with its filter byte. */
    static const unsigned channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const unsigned long width = BigEndian(bytes + 16), height = BigEndian(bytes + 20);
    const unsigned bits = bytes[24] * channels[bytes[25] % 7];
    const size_t filtered = height * (1 + (width * bits + 7) / 8);
    /* IDAT data moved together in place. */
    size_t joined = 0, first = 0;
    for (long at = 8; at + 12 <= size;) {
        const unsigned long length = BigEndian(bytes + at);
        if (memcmp(bytes + at + 4, "IDAT", 4) == 0) {
            if (joined == 0) {
                first = (size_t)at + 8;
            }
            memmove(bytes + first + joined, bytes + at + 8, length);
            joined += length;
        }
        at += 12 + (long)length;
    }
    unsigned char* out = malloc(filtered);
    struct libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    size_t produced = 0;
    const int result = libdeflate_zlib_decompress(inflater, bytes + first, joined, out, filtered,
                                                  &produced);
    libdeflate_free_decompressor(inflater);
    free(bytes);
    free(out);
    return result == LIBDEFLATE_SUCCESS && produced == filtered ? 0 : 1;
}
