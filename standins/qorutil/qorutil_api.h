/* The host application's function API as this add-on uses it: the QorUtil calls that the
 * host's SDK library qvsdkbase exports. Plain C, so that the add-on and any host built by
 * another compiler agree on every call.
 *
 * Conventions of every call below:
 *  - Handles are opaque; a null handle means "none".
 *  - A QvBoolean result is non-zero on success. QorUtilArgListAppendArray is the one exception:
 *    it succeeds only when it returns exactly 1.
 *  - Texts are NUL-terminated 8-bit strings. The host copies every text it is given before the
 *    call returns; the caller keeps ownership of its own texts.
 *  - String-list entries are numbered from 1. Zone and variable numbers count from 1.
 */
#ifndef CVL_STANDINS_QORUTIL_QORUTIL_API_H
#define CVL_STANDINS_QORUTIL_QORUTIL_API_H

#include <stdint.h>

#if defined(_WIN32) && defined(QVSDKBASE_BUILD)
#define QV_SDK_API __declspec(dllexport) /* the stand-in host library, while it is built */
#define QV_CALLBACK __stdcall
#elif defined(_WIN32)
#define QV_SDK_API __declspec(dllimport)
#define QV_CALLBACK __stdcall
#else
#define QV_SDK_API __attribute__((visibility("default")))
#define QV_CALLBACK
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t QvBoolean;  /* 0 false, anything else true */
typedef int64_t QvCount;    /* counts and positions of list entries */
typedef int32_t QvZoneNum;  /* zone number, from 1 */
typedef int32_t QvVarNum;   /* variable number, from 1 */
typedef int32_t QvDataType; /* value type of a variable: one of the codes below */

#ifdef __cplusplus
#define QV_DATATYPE_DOUBLE (QvDataType{2}) /* 8-byte IEEE double */
#define QV_DATATYPE_INT32 (QvDataType{3})  /* 4-byte signed integer */
#else
#define QV_DATATYPE_DOUBLE ((QvDataType)2) /* 8-byte IEEE double */
#define QV_DATATYPE_INT32 ((QvDataType)3)  /* 4-byte signed integer */
#endif

typedef struct QvAddOn_s* QvAddOn;
typedef struct QvArgList_s* QvArgList;
typedef struct QvStringList_s* QvStringList;

/* Any function address, as carried by an arg list. */
typedef void (*QvFunction)(void);

/* The loader callback form "LoaderCallbackVersion" 2: loads from a stored instruction list. */
typedef QvBoolean(QV_CALLBACK* QvLoaderCallback)(QvStringList instructions);
/* Called with the file names that the user picked for this loader, in the host's order. */
typedef void(QV_CALLBACK* QvLoaderSelectedCallback)(QvStringList selectedFileNames);

/* Locks. LockOn/LockOff bracket the add-on's entry point; LockStart/LockFinish, with the add-on
 * handle, bracket each callback. Both pairs nest. */
QV_SDK_API void QorUtilLockOn(void);
QV_SDK_API void QorUtilLockOff(void);
QV_SDK_API void QorUtilLockStart(QvAddOn addOn);
QV_SDK_API void QorUtilLockFinish(QvAddOn addOn);

/* Registers an add-on; the returned handle stays valid for the life of the process. */
QV_SDK_API QvAddOn QorUtilAddOnRegister(int32_t productCode, const char* name, const char* version,
                                        const char* author);
/* Registers a data loader described by the arg list. */
QV_SDK_API QvBoolean QorUtilImportAddLoaderX(QvArgList args);

/* Shows the text in the host's error dialog. */
QV_SDK_API void QorUtilDialogErrMsg(const char* message);
/* Busy indication on (show true) or off (show false); message may be null. */
QV_SDK_API void QorUtilPleaseWait(const char* message, QvBoolean show);

/* The bracket around one data load. reserved must be 0. */
QV_SDK_API QvBoolean QorUtilDataLoadStart(void);
QV_SDK_API QvBoolean QorUtilDataLoadFinishX(QvArgList args, int32_t reserved);
/* Hands a load's instruction list to the host, which keeps a copy and passes it back to the
 * named loader's callback to repeat the load. */
QV_SDK_API QvBoolean QorUtilImportSetLoaderInstr(const char* loaderName, QvStringList instructions);

/* Arg lists: ordered key/value pairs that the X calls read. Dealloc takes the address of the
 * handle and clears it. */
QV_SDK_API QvArgList QorUtilArgListAlloc(void);
QV_SDK_API void QorUtilArgListDealloc(QvArgList* args);
QV_SDK_API QvBoolean QorUtilArgListAppendString(QvArgList args, const char* key, const char* value);
QV_SDK_API QvBoolean QorUtilArgListAppendInt(QvArgList args, const char* key, int64_t value);
QV_SDK_API QvBoolean QorUtilArgListAppendFunction(QvArgList args, const char* key,
                                                  QvFunction function);
/* Appends a copy of every entry of the list. */
QV_SDK_API QvBoolean QorUtilArgListAppendStringList(QvArgList args, const char* key,
                                                    QvStringList list);
/* Appends the address of an array, which the X call it is given to reads; the array carries no
 * length and must stay alive until that call. Returns exactly 1 on success. */
QV_SDK_API int32_t QorUtilArgListAppendArray(QvArgList args, const char* key, const void* array);

/* String lists, entries numbered from 1. */
QV_SDK_API QvStringList QorUtilStringListAlloc(void);
QV_SDK_API void QorUtilStringListDealloc(QvStringList* list);
QV_SDK_API QvCount QorUtilStringListGetCount(QvStringList list);
/* The entry's text, owned by the list and valid until the list changes; null when the position
 * is out of range. */
QV_SDK_API const char* QorUtilStringListGetRawStringPtr(QvStringList list, QvCount position);
QV_SDK_API QvBoolean QorUtilStringListAppendString(QvStringList list, const char* text);
/* Appends a copy of every entry of source to target. */
QV_SDK_API QvBoolean QorUtilStringListAppend(QvStringList target, QvStringList source);

/* The current dataset. CreateX reads "DataSetTitle", "LoaderName" and "VarNames" and makes a new
 * dataset with those variables and no zones. AddZoneX reads "Name", "IMax", "VarDataType" and
 * the optional "VarShareZoneList"; the new zone is numbered after all existing ones. */
QV_SDK_API QvBoolean QorUtilDataSetCreateX(QvArgList args);
QV_SDK_API QvZoneNum QorUtilDataSetGetNumZones(void);
QV_SDK_API QvBoolean QorUtilDataSetAddZoneX(QvArgList args);
/* The writable value array of a variable in a zone (*values; null when there is none) and its
 * data type (*dataType). The array holds one value per point of the zone. */
QV_SDK_API void QorUtilDataValueGetWritableRawPtr(QvZoneNum zone, QvVarNum variable, void** values,
                                                  QvDataType* dataType);

#ifdef __cplusplus
}
#endif

#endif /* CVL_STANDINS_QORUTIL_QORUTIL_API_H */
