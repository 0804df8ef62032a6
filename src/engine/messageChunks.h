#pragma once

#include <QString>

namespace corvane {

struct SendJob;
struct serviceRecordType;
class TcpClient;

// Prepares the chunk position for the recipient about to be paged on job.currentService.
void SetMessageIndex(SendJob& job, const serviceRecordType& service);

// True while another chunk of the current recipient's service message is still to be paged.
bool chunkRemains(const SendJob& job);

// Takes the next chunk into job.chunkText, advances messageIndex and returns the MESS line for it.
QString takeNextMessLine(SendJob& job, const serviceRecordType& service);

// Sends the next chunk's MESS line on the client and moves the job to MessageSent.
void sendMessageChunk(SendJob& job, const serviceRecordType& service, TcpClient& client);

} // namespace corvane
