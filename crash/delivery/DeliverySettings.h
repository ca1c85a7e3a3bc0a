#pragma once

#include <cstdint>
#include <string>

namespace qv::crash {

// How a report leaves the process: by mail or to the report file. Part of the reporter's
// settings, fixed in the program; "%appname%" is the program's file name where the comments say so.
struct DeliverySettings {
    // Recipients, separated by "," or ";".
    std::string mailAddress;
    std::string senderAddress;
    // May hold "%appname%" and "%exceptMsg%".
    std::string mailSubject = "bug report";
    bool attachReportFile = false;
    bool deleteAttachedFile = false;
    // Further files to attach, separated by "|".
    std::string extraAttachments;
    bool smtpDirect = false;
    bool smtpViaRelay = false;
    // Hand the mail to the desktop's mail program.
    bool useMapi = true;
    bool useMailto = true;
    std::string smtpServer;
    int32_t smtpPort = 25;
    std::string smtpAccount;
    std::string smtpPassword;
    std::string mailSentMessage = "The mail was sent successfully.";
    std::string mailFailedMessage = "Sorry, sending the mail didn't work.";
    // May hold "%appname%" (the program's file name without extension).
    std::string reportFileName = "bugreport.txt";
    // 0: every save replaces the file; else the size at which old reports are dropped.
    int32_t reportFileMaxSize = 50000;
};

} // namespace qv::crash
