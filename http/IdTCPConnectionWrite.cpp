#include "http/IdTCPConnection.h"

#include "http/IdAntiFreezeBase.h"
#include "http/IdIntercept.h"
#include "http/IdResourceStrings.h"
#include "http/IdWinsockErrors.h"

#include <algorithm>
#include <arpa/inet.h>
#include <vector>

namespace qv::http {

void TIdTCPConnection::WriteText(const std::string& text) {
    if (!text.empty()) SendBytes(text.data(), static_cast<int64_t>(text.size()));
}

void TIdTCPConnection::WriteLine(const std::string& text) {
    WriteText(text + "\r\n");
}

void TIdTCPConnection::WriteLines(const framework::TStringList& lines) {
    for (const std::string& line : lines.Lines())
        WriteLine(line);
}

void TIdTCPConnection::WriteInt32(int32_t value, bool convert) {
    const uint32_t bits = convert ? htonl(static_cast<uint32_t>(value)) : static_cast<uint32_t>(value);
    SendBytes(&bits, sizeof bits);
}

void TIdTCPConnection::SendBytes(const void* memory, int64_t count, bool) {
    if (count <= 0 || !memory) return;
    CheckClosed(true, true);
    // A peer gets as long to take bytes as to send them.
    const int timeout = ReadTimeout > 0 ? ReadTimeout : IdTimeoutForever;
    const char* bytes = static_cast<const char*>(memory);
    int64_t position = 0;
    while (position < count) {
        const int length = static_cast<int>(std::min<int64_t>(count - position, 1 << 30));
        int sent;
        try {
            sent = InterceptSends() ? Intercept()->SendInstead(bytes + position, length, timeout)
                                    : SendToSocket(bytes + position, length, timeout);
        } catch (const EIdWriteTimeout&) {
            // The peer may have part of the bytes: the connection can carry nothing more in step.
            DropConnection();
            throw;
        }
        peerClosed_ = sent == 0;
        // Buffered input is of no use to a write: a peer that takes no more bytes ends it.
        CheckClosed(true, true);
        if (sent == Id_SOCKET_ERROR) {
            const int error = GSocketStack->LastError();
            if (error == Id_WSAESHUTDOWN) DropConnection();
            GSocketStack->RaiseError(error);
        }
        AddWork(wkWrite, sent);
        if (InterceptEnabled() && Intercept())
            Intercept()->DataSent(bytes + position, static_cast<int>(count - position));
        position += sent;
    }
}

int TIdTCPConnection::SendToSocket(const char* bytes, int length, int timeout) {
    const int sent = socketHandle_.SendWithin(bytes, length, timeout);
    TIdAntiFreezeBase::DoProcess(false);
    if (sent == Id_SOCKET_ERROR && timeout != IdTimeoutForever &&
        GSocketStack->LastError() == Id_WSAETIMEDOUT)
        throw EIdWriteTimeout(RSWriteTimeout);
    return sent;
}

void TIdTCPConnection::WriteFromStream(framework::TStream& stream, bool fromStart, bool withLength) {
    if (fromStart) stream.SetPosition(0);
    const int64_t total = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    DoWork(wkWrite, total, [&] {
        if (withLength) WriteInt32(static_cast<int32_t>(total));
        std::vector<char> piece(static_cast<size_t>(std::max(SendBufferSize, 1)));
        int64_t left = total;
        while (left > 0) {
            const int64_t read = stream.Read(piece.data(), std::min<int64_t>(left, piece.size()));
            if (read <= 0) throw EIdNoDataToRead(RSNoDataToRead);
            SendBytes(piece.data(), read);
            left -= read;
        }
    });
}

int64_t TIdTCPConnection::WriteFileContents(const std::string& fileName, bool letSystemSend) {
    // The system's call waits for the peer without limit: under a time-out the file goes in pieces.
    if (letSystemSend && !InterceptEnabled() && ReadTimeout <= 0)
        return GSocketStack->TransmitFile(socketHandle_.Handle(), fileName);
    framework::TFileStream stream(fileName, framework::TFileStream::Mode::OpenRead);
    WriteFromStream(stream, true, false);
    return stream.Size();
}

} // namespace qv::http
