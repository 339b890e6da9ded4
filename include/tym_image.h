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

/* The fixed words of a module table.  The header pair opens every table; the
 * host refuses a table whose header differs.  The two sizes are the table's
 * allotments in bytes as the host lays tables out. */
#define TYM_TABLE_HEADER0 0u
#define TYM_TABLE_HEADER1 0xFFFFu
#define TYM_TABLE_SIZE0 1024u
#define TYM_TABLE_SIZE1 1024u

/* The four words that close a module table.  Together they stamp the table
 * layout this header describes; neither the host nor the module interprets
 * them, but a table must carry exactly these values. */
#define TYM_TABLE_TRAILER_LAYOUT 3u         /* layout revision of the table      */
#define TYM_TABLE_TRAILER_SERIAL 9683u      /* serial number of that revision    */
#define TYM_TABLE_TRAILER_STAMP 0x2053CDCAu /* time stamp of the revision        */
#define TYM_TABLE_TRAILER_LEVEL 15u         /* level of the table format         */

typedef struct TymModuleTable {
    uint16_t header0;    /* TYM_TABLE_HEADER0 */
    uint16_t header1;    /* TYM_TABLE_HEADER1 */
    uint32_t size0;      /* TYM_TABLE_SIZE0   */
    uint32_t size1;      /* TYM_TABLE_SIZE1   */
    char name[8];        /* "tymlp   " blank padded */
    uint32_t reserved;   /* 0      */
    void (*entry)(void); /* the procedure driver */
    uint32_t trailer[4]; /* TYM_TABLE_TRAILER_LAYOUT, _SERIAL, _STAMP, _LEVEL */
} TymModuleTable;

typedef struct TymImageInfo {
    char tag[24];                        /* TYM_IMAGE_TAG and two zero bytes */
    uint32_t magic;                      /* TYM_IMAGE_MAGIC                  */
    uint32_t count;                      /* TYM_IMAGE_COUNT                  */
    char version[6];                     /* short version, zero padded       */
    char release[20];                    /* release and build, zero padded   */
    char date[26];                       /* "Mon dd yyyy", zero padded       */
    TymModuleTable* const* module_table; /* word holding the table's address */
    const char* notice;
    char level[4]; /* "001" and a zero byte            */
} TymImageInfo;

/* The one exported entry of a module library. */
typedef const TymImageInfo* (*TymMainEntry)(const TymHost* host, int64_t value);

#define TYM_MAIN_SYMBOL "mcn_main"

#ifdef __cplusplus
}
#endif

#endif /* TYM_IMAGE_H */
