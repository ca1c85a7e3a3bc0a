#include "http/IdWinsockErrors.h"

#include <cerrno>
#include <netdb.h>

namespace qv::http {

int WinsockErrorFromErrno(int error) {
    switch (error) {
    case EINTR:
        return Id_WSAEINTR;
    case EBADF:
        return Id_WSAEBADF;
    case EACCES:
    case EPERM:
        return Id_WSAEACCES;
    case EFAULT:
        return Id_WSAEFAULT;
    case EINVAL:
        return Id_WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return Id_WSAEMFILE;
    case EAGAIN:
        return Id_WSAEWOULDBLOCK;
    case EINPROGRESS:
        return Id_WSAEINPROGRESS;
    case EALREADY:
        return Id_WSAEALREADY;
    case ENOTSOCK:
        return Id_WSAENOTSOCK;
    case EDESTADDRREQ:
        return Id_WSAEDESTADDRREQ;
    case EMSGSIZE:
        return Id_WSAEMSGSIZE;
    case EPROTOTYPE:
        return Id_WSAEPROTOTYPE;
    case ENOPROTOOPT:
        return Id_WSAENOPROTOOPT;
    case EPROTONOSUPPORT:
        return Id_WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT:
        return Id_WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP:
        return Id_WSAEOPNOTSUPP;
    case EPFNOSUPPORT:
        return Id_WSAEPFNOSUPPORT;
    case EAFNOSUPPORT:
        return Id_WSAEAFNOSUPPORT;
    case EADDRINUSE:
        return Id_WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return Id_WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return Id_WSAENETDOWN;
    case ENETUNREACH:
        return Id_WSAENETUNREACH;
    case ENETRESET:
        return Id_WSAENETRESET;
    case ECONNABORTED:
        return Id_WSAECONNABORTED;
    case ECONNRESET:
        return Id_WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
        return Id_WSAENOBUFS;
    case EISCONN:
        return Id_WSAEISCONN;
    case ENOTCONN:
        return Id_WSAENOTCONN;
    // Writing after the sending side is shut down: the Windows stack reports this as shut down too.
    case EPIPE:
    case ESHUTDOWN:
        return Id_WSAESHUTDOWN;
    case ETOOMANYREFS:
        return Id_WSAETOOMANYREFS;
    case ETIMEDOUT:
        return Id_WSAETIMEDOUT;
    case ECONNREFUSED:
        return Id_WSAECONNREFUSED;
    case ELOOP:
        return Id_WSAELOOP;
    case ENAMETOOLONG:
        return Id_WSAENAMETOOLONG;
    case EHOSTDOWN:
        return Id_WSAEHOSTDOWN;
    case EHOSTUNREACH:
        return Id_WSAEHOSTUNREACH;
    case ENOTEMPTY:
        return Id_WSAENOTEMPTY;
    default:
        return error;
    }
}

int WinsockErrorFromResolver(int resolverError, int systemError) {
    switch (resolverError) {
    case EAI_NONAME:
        return Id_WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return Id_WSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return Id_WSANO_DATA;
    case EAI_SYSTEM:
        return WinsockErrorFromErrno(systemError);
    case EAI_MEMORY:
        return Id_WSAENOBUFS;
    default:
        return Id_WSANO_RECOVERY;
    }
}

} // namespace qv::http
