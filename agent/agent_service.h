// The agent service: the one object that holds the agent's process-wide state. It owns the
// command thread and the agent it opens, the start sequence and shutdown, the log redirection,
// the request queue with its mutexes and consumer thread, the data-source credentials, the
// progress sink and the outcome of the last request. The library's entry points reach it through
// Instance(), its only global handle.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "agent/agent.h"
#include "agent/command_thread.h"
#include "agent/credentials.h"
#include "agent/generation_driver.h"
#include "agent/log_redirection.h"
#include "agent/page_request.h"
#include "agent/request_queue.h"

class ProgressSink;

class AgentService : private CommandServer, private RequestServer {
 public:
  // The process's service, made on first use and never destroyed: a command or consumer thread
  // still running at process exit must not find its state torn down.
  static AgentService& Instance();

  // A service with no command thread and no agent. Instances other than Instance() serve tests.
  AgentService() = default;
  // Closes the command thread when one runs, then the agent when one is open.
  ~AgentService() override;
  AgentService(const AgentService&) = delete;
  AgentService& operator=(const AgentService&) = delete;

  // The command thread (see CommandThread). The first start and each opening of the agent also
  // register the library's unload step with the process's exit handlers.
  void StartCommandThread();
  void PostCommandAndWait(AgentCommand command);
  void StopCommandThreadAtUnload();

  // Makes `sink` receive the progress of every page generated from now on, on the thread that
  // generates it; null reports nothing. The sink must outlive its use.
  void SetProgressSink(ProgressSink* sink) { progressSink_.store(sink); }

  // The outcome of the last generate command: 1 generated, 0 failed, -1 not run (no agent, no
  // parameter file), kTimedOutOutcome (-2) timed out. Posting a generate command resets it to -1.
  int LastGenerateOutcome() const { return lastGenerateOutcome_.load(); }

  // What the command thread runs; tests call them on a thread of their own.
  //
  // Opens the agent when none is open: initialises COM for the calling thread and, when the agent
  // has a core, runs the start sequence (once while the service is up; failures are shown or
  // logged, never thrown).
  void OpenAgent();
  // Shuts down and closes the agent, uninitialising COM; nothing when none is open.
  void CloseAgent();
  // Command 1: reads the parameter file, serves the request and writes Output.txt. -1 when there
  // is no agent with a core or no parameter file, else the submission's flag. Records the outcome.
  int Generate();
  // Command 2: reads the parameter file and writes the ancestors text to Output.txt.
  void GetAncestors();
  // Command 4: cleans every loaded domain when the service is up.
  void Refresh();
  // Command 3's shutdown: stops the consumer thread, drops the domains, closes the log, unloads
  // the host resource module. Nothing when the service is not up.
  void Shutdown();

  // Serves one generate request: at once on the calling thread when the timeout is 0, otherwise
  // through the request queue. Either way the document file receives the page as the generation
  // driver serialised it, in the code page that the page declares.
  Submission SubmitGenerateRequest(const PageRequest& request);

  // The start sequence succeeded and no shutdown followed.
  bool Initialised() const { return initialised_; }
  // Milliseconds a caller waits for a queued request; 0 = synchronous mode.
  int32_t TimeoutMs() const { return timeoutMs_; }
  bool ConsumerThreadRunning() const { return queue_.ConsumerThreadRunning(); }
  // The credentials last handed to the data sources (a copy).
  CredentialList CurrentDomainCredentials() const { return credentials_.Current(); }
  // The error-page text of the most recent failed generation.
  std::string LastGenerationErrorText() const;
  RequestQueue& Queue() { return queue_; }

 private:
  void Posting(AgentCommand command) override;
  void Serve(int32_t command) override;
  bool AgentOpen() const override { return agentOpen_.load(); }
  void HandCredentialsToDomains(const CredentialList& credentials) override;
  GenerationResult GeneratePage(const PageRequest& request) override;

  void Start();
  // The start's steps; Start takes back what they began when one throws.
  void StartSequence();
  void AbandonStart() noexcept;
  Submission GenerateAtOnce(const PageRequest& request);
  void RememberLastError(const std::string& errorPageText);
  // Generate's steps from the parameter file on; `request` and `outputFile` as far as known.
  int GenerateRequest(PageRequest& request, std::string& outputFile);
  // The error page of a request that the agent cannot serve because it did not start.
  void ReportNotStarted(const PageRequest& request, const std::string& outputFile);
  // The error page and the empty Output.txt of a request that ran out of memory, as far as they
  // can be written.
  void ReportOutOfMemory(const PageRequest& request, const std::string& outputFile) noexcept;
  void RegisterUnloadStep();

  // Owned and touched by the command thread (or the test that opened it).
  std::unique_ptr<Agent> agent_;
  // An agent with a core is open; read by the consumer thread.
  std::atomic<bool> agentOpen_{false};
  // Written by the start sequence and shutdown on the agent's thread.
  bool initialised_ = false;
  // Why the last start sequence failed, for the error page of the requests that follow.
  std::string startFailure_;
  int32_t timeoutMs_ = 8000;
  LogRedirection log_;
  DomainCredentials credentials_;
  std::atomic<ProgressSink*> progressSink_{nullptr};
  std::atomic<int> lastGenerateOutcome_{-1};
  mutable std::mutex lastErrorMutex_;
  std::string lastErrorText_;
  std::atomic<int> unloadRegistrations_{0};
  std::once_flag firstStart_;
  // Last, so that they are destroyed first: their threads call back into this object.
  RequestQueue queue_{*this};
  CommandThread commandThread_{*this};
};
