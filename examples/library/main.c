/* to_table PICTURE FORMAT: a picture (or table) of any kind Quillon reads
 * written to standard output in FORMAT, dithered with Atkinson's dither, as
 * `quillon-cli convert --dither atkinson -f FORMAT -o - PICTURE` writes it. */
#include <quillon/quillon.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: to_table PICTURE FORMAT\n");
        return 64;
    }
    FILE* file = fopen(argv[1], "rb");
    if (!file) {
        perror(argv[1]);
        return 2;
    }
    static unsigned char bytes[16 << 20];
    const size_t size = fread(bytes, 1, sizeof bytes, file);
    fclose(file);

    quillon_picture_options options;
    quillon_picture_options_init(&options);
    options.dither = "atkinson";
    unsigned char image[QUILLON_DISPLAY_BYTES];
    char error[256];
    quillon_bytes table = {NULL, 0};
    if (quillon_dots(bytes, size, &options, image, error, sizeof error) != 0 ||
        quillon_write(image, argv[2], NULL, argv[1], &table, error, sizeof error) != 0) {
        fprintf(stderr, "to_table: %s: %s\n", argv[1], error);
        return 2;
    }
    fwrite(table.data, 1, table.size, stdout);
    quillon_bytes_free(&table);
    return 0;
}
