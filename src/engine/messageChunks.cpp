#include "engine/messageChunks.h"

#include "engine/sendJob.h"
#include "engine/serviceTable.h"
#include "engine/snppCommands.h"
#include "transport/tcpClient.h"

using namespace Qt::Literals::StringLiterals;

namespace corvane {

void SetMessageIndex(SendJob& job, const serviceRecordType& service) {
    const qsizetype length = job.serviceMessages[job.currentService].size();
    const int step = service.splitChars;
    if (service.reverseOrder && step >= 1 && length > step) {
        job.messageIndex = 1 + step * static_cast<int>((length - 1) / step);
        job.chunksReversed = true;
    } else {
        job.messageIndex = 1;
        job.chunksReversed = false;
    }
}

bool chunkRemains(const SendJob& job) {
    if (job.chunksReversed) {
        return job.messageIndex >= 1;
    }
    return job.messageIndex <= job.serviceMessages[job.currentService].size();
}

QString takeNextMessLine(SendJob& job, const serviceRecordType& service) {
    const QString& message = job.serviceMessages[job.currentService];
    const int step = service.splitChars;
    job.chunkText = message.mid(job.messageIndex - 1, step);
    job.messageIndex += job.chunksReversed ? -step : step;
    if (service.name.contains(u"-ENCRY"_s, Qt::CaseSensitive)) {
        return encryptedMessLine(job.chunkText);
    }
    return plainMessLine(job.chunkText);
}

void sendMessageChunk(SendJob& job, const serviceRecordType& service, TcpClient& client) {
    client.setDataToSend(takeNextMessLine(job, service));
    job.state = EngineState::MessageSent;
}

} // namespace corvane
