// A scripted TCP server on loopback for engine tests: one thread plays a
// list of steps (accept, expect a command line, send bytes, pause, close)
// and records every line the client sent.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedServer {
public:
    // `backlog`: connections the listener queues before it stops answering.
    explicit ScriptedServer(int backlog = 4);
    ~ScriptedServer();  // stops the script and joins the thread

    ScriptedServer& Accept();                             // wait for the next connection
    ScriptedServer& Send(const std::string& bytes);       // one send call
    ScriptedServer& Segments(const std::vector<std::string>& parts, int gapMs = 30);
    ScriptedServer& Expect(const std::string& line);      // one line, LF stripped
    ScriptedServer& ExpectAny();                          // read a line, whatever it is
    ScriptedServer& Pause(int ms);
    ScriptedServer& Flood(const std::string& line);       // send it until the client goes
    ScriptedServer& Close();                              // close the connection
    ScriptedServer& Reply(const std::string& command, const std::string& reply) {
        return Expect(command).Send(reply);
    }

    void Start();              // runs the steps on the server thread
    bool Finish(int timeoutMs = 10000);  // waits for the script; true when every step held
    std::uint16_t Port() const { return m_port; }
    std::vector<std::string> Received() const;
    std::string Failure() const;

private:
    struct Step {
        enum Kind { kAccept, kSend, kFlood, kExpect, kExpectAny, kPause, kClose } kind;
        std::string text;
        int ms;
    };
    void Run();
    bool ReadLine(std::string& line);
    void Fail(const std::string& why);

    std::vector<Step> m_steps;
    std::intptr_t m_listener = -1;
    std::intptr_t m_client = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::string m_pending;  // bytes read past the last line
    mutable std::mutex m_lock;
    std::vector<std::string> m_received;
    std::string m_failure;
};
