#include "platform/url_download.h"

namespace platform {

int32_t DownloadCodeForHttpStatus(long status) {
  if (status == 404 || status == 410) return kDownloadNotFound;
  if (status == 401 || status == 403 || status == 407) return kDownloadAccessDenied;
  if (status >= 500) return kDownloadServerError;
  return kDownloadFailure;
}

uint64_t DownloadSizeLimit(const DownloadOptions& options, int32_t* code) {
  if (options.disk_budget_bytes < options.max_bytes) {
    *code = kDownloadDiskFull;
    return options.disk_budget_bytes;
  }
  *code = kDownloadTooLarge;
  return options.max_bytes;
}

std::u16string DownloadErrorText(int32_t code) {
  switch (code) {
    case kDownloadInvalidAddress:
      return u"The download address is not valid.";
    case kDownloadCannotConnect:
      return u"Cannot connect to the download server.";
    case kDownloadNotFound:
      return u"The file was not found on the server.";
    case kDownloadDataNotAvailable:
      return u"The server closed the connection before the whole file arrived.";
    case kDownloadFailure:
      return u"The download failed.";
    case kDownloadTimeout:
      return u"The download server did not answer in time.";
    case kDownloadUnknownProtocol:
      return u"The download address uses an unsupported protocol.";
    case kDownloadSecurityProblem:
      return u"The server's certificate could not be verified.";
    case kDownloadRedirectFailed:
      return u"The server redirected the download too often or to an unsupported address.";
    case kDownloadAccessDenied:
      return u"The server refused access to the file.";
    case kDownloadServerError:
      return u"The download server reported an error.";
    case kDownloadWriteError:
      return u"The downloaded file could not be written.";
    case kDownloadAborted:
      return u"The download was stopped.";
    case kDownloadTooLarge:
      return u"The server sent more data than a package can hold.";
    case kDownloadNoFolder:
      return u"No folder was found to download the package into.";
    case kDownloadDiskFull:
      return u"The package would leave too little free space on the disk.";
    default:
      return std::u16string();
  }
}

}  // namespace platform
