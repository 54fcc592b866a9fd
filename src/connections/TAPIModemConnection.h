#pragma once
// The transport for an instrument reached by telephone through a modem of the telephony
// layer ("Windows Modem", keyword WINDOWSMODEM): the telephony layer dials, this transport
// waits for the call to connect and then reads and writes the call's byte stream as the
// direct cable reads and writes its port.

#include "connections/ReceiveBuffer.h"
#include "platform/Connection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TelephonyService;
class TelephonyStream;

class CTAPIModemConnection : public CConnection {
public:
    static constexpr unsigned kSchema = 0;
    static constexpr int32_t kDefaultConnectTimeout = 120;
    static constexpr size_t kBufferSize = ReceiveBuffer::kSize;

    CTAPIModemConnection() = default;
    // Takes the telephone number, device ID and time-out; starts closed.
    CTAPIModemConnection(const CTAPIModemConnection& other);
    CTAPIModemConnection& operator=(const CTAPIModemConnection&) = delete;
    ~CTAPIModemConnection() override;

    const char* GetClassName() const override { return "CTAPIModemConnection"; }
    unsigned GetSchema() const override { return kSchema; }

    // Every schema reads the same layout: device ID, telephone number, time-out.
    void Serialize(CArchive& ar) override;
    // SITE_MODEM (the device ID, a number), SITE_TELEPHONE and SITE_CONNECT_TIMEOUT. A
    // malformed value is recorded in the stream (NoteError) and ends with false.
    bool ReadConfig(ConfigFileTokenStream& ts, const CNamedObjectList& modems) override;
    void WriteConfig(std::string& out, const CNamedObjectList& modems) const override;
    int GetConnectionType() const override { return CONN_WINDOWSMODEM; }
    // Looks up the device by its permanent identifier, dials through the telephony layer
    // and waits for the call. False unless the call connected and yielded its byte stream.
    bool Open(CInstrumentConnection* inst) override;
    // Drains and closes the stream, drops the call and waits for it to end, closes the
    // line. Always true.
    bool Close() override;
    bool Purge() override;
    size_t Read(char* buffer, size_t maxCount, unsigned timeoutMs, int terminator) override;
    size_t TakeArrived(char* buffer, size_t maxCount, int terminator) override;
    bool Write(const std::string& text) override;
    // True while the byte stream of a connected call is held.
    bool IsOpen() const override;
    CConnection* Clone() const override { return new CTAPIModemConnection(*this); }

    std::string GetTelephoneNumber() const;
    void SetTelephoneNumber(const std::string& number);
    uint32_t GetDeviceId() const;
    void SetDeviceId(uint32_t id);
    int32_t GetConnectTimeout() const;
    void SetConnectTimeout(int32_t seconds);

    // Registers the class with the transport archive registry and as the site's transport
    // of its kind.
    static void RegisterClass();

private:
    // Drops the call if one was made and closes the line.
    void Abandon(TelephonyService* service);
    void WaitForCallEnd(TelephonyService* service, uint32_t call);

    std::string m_telephoneNumber;
    uint32_t m_deviceId = 0;
    int32_t m_connectTimeout = kDefaultConnectTimeout;

    // Run-time: the worker thread's own, guarded by the state lock where other threads look.
    uint32_t m_line = 0;
    uint32_t m_call = 0;
    std::unique_ptr<TelephonyStream> m_stream;
    ReceiveBuffer m_receive;
};
