/*
 * tym_image.h -- what mcn_main returns: the image-information block and the
 * module table it leads to.  The host checks the tag, the magic number and
 * the module name before it follows the table to the procedure entry.
 */
#ifndef TYM_IMAGE_H
#define TYM_IMAGE_H

#include <stdint.h>

#include "tym_host.h"

#ifdef __cplusplus
extern "C" {
#endif

#define TYM_IMAGE_TAG "TYM_Image_Information="
#define TYM_IMAGE_MAGIC 0xB0BDEBEDu
#define TYM_IMAGE_COUNT 8u

typedef struct TymModuleTable {
    uint16_t header0;   /* 0      */
    uint16_t header1;   /* 0xFFFF */
    uint32_t size0;     /* 1024   */
    uint32_t size1;     /* 1024   */
    char name[8];       /* "tymlp   " blank padded */
    uint32_t reserved;  /* 0      */
    void (*entry)(void);/* the procedure driver */
    uint32_t trailer[4];/* 3, 9683, 0x2053CDCA, 15 */
} TymModuleTable;

typedef struct TymImageInfo {
    char tag[24];            /* TYM_IMAGE_TAG and two zero bytes */
    uint32_t magic;          /* TYM_IMAGE_MAGIC                  */
    uint32_t count;          /* TYM_IMAGE_COUNT                  */
    char version[6];         /* short version, zero padded       */
    char release[20];        /* release and build, zero padded   */
    char date[26];           /* "Mon dd yyyy", zero padded       */
    TymModuleTable* const* module_table; /* word holding the table's address */
    const char* notice;
    char level[4];           /* "001" and a zero byte            */
} TymImageInfo;

/* The one exported entry of a module library. */
typedef const TymImageInfo* (*TymMainEntry)(const TymHost* host, int64_t value);

#define TYM_MAIN_SYMBOL "mcn_main"

#ifdef __cplusplus
}
#endif

#endif /* TYM_IMAGE_H */
