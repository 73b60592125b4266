/* The FreeImage calls a default PNG-to-TGA conversion cannot do without: the yardstick of
 * bench/run. Usage: bare_freeimage in.png out.tga */
#include <FreeImage.h>

#include <stdio.h>

/* First TGA depth (8, 16, 24, 32) that holds the source depth. */
static unsigned AutomaticDepth(unsigned sourceDepth) {
    static const unsigned depths[] = {8, 16, 24, 32};
    for (unsigned i = 0; i < 4; ++i) {
        if (depths[i] >= sourceDepth) {
            return depths[i];
        }
    }
    return 32;
}

static FIBITMAP* Replace(FIBITMAP* old, FIBITMAP* replacement) {
    FreeImage_Unload(old);
    return replacement;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s in.png out.tga\n", argv[0]);
        return 2;
    }
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, argv[1], PNG_DEFAULT);
    if (bitmap == NULL) {
        return 1;
    }
    const unsigned target = AutomaticDepth(FreeImage_GetBPP(bitmap));
    if (FreeImage_GetImageType(bitmap) == FIT_UINT16) {
        bitmap = Replace(bitmap, FreeImage_ConvertTo8Bits(bitmap));
    } else if (FreeImage_GetBPP(bitmap) > 32) {
        bitmap = Replace(bitmap, FreeImage_TmoDrago03(bitmap, 1.0, 0.0));
    }
    if (FreeImage_IsTransparent(bitmap)) {
        RGBQUAD white = {255, 255, 255, 0};
        bitmap = Replace(bitmap, FreeImage_Composite(bitmap, FALSE, &white, NULL));
    }
    if (FreeImage_GetBPP(bitmap) != target) {
        switch (target) {
        case 32:
            bitmap = Replace(bitmap, FreeImage_ConvertTo32Bits(bitmap));
            break;
        case 24:
            bitmap = Replace(bitmap, FreeImage_ConvertTo24Bits(bitmap));
            break;
        case 16:
            bitmap = Replace(bitmap, FreeImage_ConvertTo16Bits555(bitmap));
            break;
        default: {
            bitmap = Replace(bitmap, FreeImage_ConvertTo24Bits(bitmap));
            bitmap = Replace(bitmap, FreeImage_ColorQuantizeEx(bitmap, FIQ_WUQUANT, 256, 0, NULL));
            break;
        }
        }
    }
    const int saved = FreeImage_Save(FIF_TARGA, bitmap, argv[2], 0);
    FreeImage_Unload(bitmap);
    return saved ? 0 : 1;
}
