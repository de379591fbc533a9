// The log file's hold on the process's standard output and standard error: while it is open,
// descriptors 1 and 2 write into <USER_DATA>/logs/xmlagent.log; closing hands them back.
#pragma once

class LogRedirection {
 public:
  LogRedirection() = default;
  ~LogRedirection() { Close(); }
  LogRedirection(const LogRedirection&) = delete;
  LogRedirection& operator=(const LogRedirection&) = delete;

  // Reads ENABLELOGGING ("TRUE" in any letter case enables the log) and, when enabled and
  // USER_DATA is set, opens USER_DATA/logs/xmlagent.log for appending (making the logs folder
  // when missing) and sends descriptors 1 and 2 into it, to be rotated into xmlagent.log.1 at
  // the size that "LogMaxBytes" sets (platform/log_file.h). A log that cannot be opened is logged
  // and leaves both descriptors as they were.
  void Open();
  // Restores descriptors 1 and 2 to what they were before Open took them over and closes the
  // log file. Nothing when no log is open.
  void Close();

 private:
  bool enabled_ = false;
  int fd_ = 0;
  // Descriptors 1 and 2 as they were before the log took them over; -1 when they were closed.
  int savedStdout_ = -1;
  int savedStderr_ = -1;
};
