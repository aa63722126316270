/* Keeps the TLS directory out of Quillon.dll.
 *
 * The mingw-w64 DLL start-up code asks for __dyn_tls_init_callback, and the
 * only library member that defines it also brings the TLS directory and its
 * callbacks. A DLL that the host loads with LoadLibrary gets neither a static
 * TLS slot nor TLS callbacks on older Windows, and the module keeps no
 * per-thread data, so it supplies an empty callback pointer instead. The
 * start-up code skips a null callback. Should anything in the link need the
 * static TLS slot (_tls_index), the library member comes in after all and the
 * link fails with a duplicate definition instead of shipping a TLS directory
 * quietly. */
#include <windows.h>

const PIMAGE_TLS_CALLBACK __dyn_tls_init_callback = NULL;
