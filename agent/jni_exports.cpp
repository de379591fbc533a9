// The native methods of the portal's class com.norvane.quill.tessel.gen.XmlAgent. Each one only
// forwards to an entry point; no C++ exception may cross into the JVM, so each catches all.
#include <jni.h>

#include <exception>
#include <string>

#include "agent/agent_entry.h"
#include "platform/log.h"

namespace {

constexpr const char* kNotImplemented = "Method Not Implemented";

void ReportEscaped(const char* method, const char* what) noexcept {
  try {
    platform::Log(std::string("XmlAgent.") + method + ": " + what, platform::kLogCriticalError);
  } catch (...) {
    // Nothing left to report with.
  }
}

// Runs body; any exception becomes a log line (and the fallback result).
template <typename Result, typename Body>
Result Guarded(const char* method, Result fallback, Body body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    ReportEscaped(method, e.what());
  } catch (...) {
    ReportEscaped(method, "unknown exception");
  }
  return fallback;
}

template <typename Body>
void GuardedVoid(const char* method, Body body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    ReportEscaped(method, e.what());
  } catch (...) {
    ReportEscaped(method, "unknown exception");
  }
}

unsigned ContinuationBits(unsigned char byte) { return byte & 0x3Fu; }

// Modified UTF-8 as the JVM hands it out writes NUL as C0 80 and a character beyond U+FFFF as
// two three-byte surrogates; the library's texts are plain UTF-8, so both are rewritten.
std::string PlainUtf8(const char* modified) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(modified);
  while (*p != 0) {
    if (p[0] == 0xC0 && p[1] == 0x80) {
      out.push_back('\0');
      p += 2;
      continue;
    }
    const bool highSurrogate = p[0] == 0xED && p[1] >= 0xA0 && p[1] <= 0xAF && p[2] != 0;
    if (highSurrogate && p[3] == 0xED && p[4] >= 0xB0 && p[4] <= 0xBF && p[5] != 0) {
      unsigned high = 0xD000u | (ContinuationBits(p[1]) << 6) | ContinuationBits(p[2]);
      unsigned low = 0xD000u | (ContinuationBits(p[4]) << 6) | ContinuationBits(p[5]);
      unsigned code = 0x10000u + ((high - 0xD800u) << 10) + (low - 0xDC00u);
      out.push_back(static_cast<char>(0xF0u | (code >> 18)));
      out.push_back(static_cast<char>(0x80u | ((code >> 12) & 0x3Fu)));
      out.push_back(static_cast<char>(0x80u | ((code >> 6) & 0x3Fu)));
      out.push_back(static_cast<char>(0x80u | (code & 0x3Fu)));
      p += 6;
      continue;
    }
    out.push_back(static_cast<char>(*p++));
  }
  return out;
}

// The text of a Java string; a null string is the empty text. False when the JVM could not
// provide the characters (an exception is then pending in Java).
bool CopyJavaString(JNIEnv* env, jstring text, std::string& out) {
  out.clear();
  if (text == nullptr) return true;
  const char* chars = env->GetStringUTFChars(text, nullptr);
  if (chars == nullptr) return false;
  try {
    out = PlainUtf8(chars);
  } catch (...) {
    env->ReleaseStringUTFChars(text, chars);
    throw;
  }
  env->ReleaseStringUTFChars(text, chars);
  return true;
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_init(JNIEnv*, jobject) {
  GuardedVoid("init", [] { XmlAgentInit(); });
}

JNIEXPORT void JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_setInitParameter(JNIEnv* env,
                                                                                   jobject,
                                                                                   jstring name,
                                                                                   jstring value) {
  GuardedVoid("setInitParameter", [&] {
    std::string nameText;
    std::string valueText;
    if (!CopyJavaString(env, name, nameText) || !CopyJavaString(env, value, valueText)) return;
    XmlAgentSetInitParameter(nameText, valueText);
  });
}

JNIEXPORT jint JNICALL
Java_com_norvane_quill_tessel_gen_XmlAgent_generateFromLinkWithAParameterFile(JNIEnv*, jobject) {
  GuardedVoid("generateFromLinkWithAParameterFile", [] { XmlAgentGenerate(); });
  return 0;
}

JNIEXPORT void JNICALL
Java_com_norvane_quill_tessel_gen_XmlAgent_getAncestorsWithAParameterFile(JNIEnv*, jobject) {
  GuardedVoid("getAncestorsWithAParameterFile", [] { XmlAgentGetAncestors(); });
}

JNIEXPORT void JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_refresh(JNIEnv*, jobject) {
  GuardedVoid("refresh", [] { XmlAgentRefresh(); });
}

JNIEXPORT void JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_close(JNIEnv*, jobject) {
  GuardedVoid("close", [] { XmlAgentClose(); });
}

JNIEXPORT void JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_sync(JNIEnv*, jobject) {}

JNIEXPORT jstring JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_name(JNIEnv* env, jobject) {
  return Guarded<jstring>("name", nullptr, [env] { return env->NewStringUTF(kNotImplemented); });
}

JNIEXPORT jstring JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_GetParent(JNIEnv* env, jobject,
                                                                               jint) {
  return Guarded<jstring>("GetParent", nullptr,
                          [env] { return env->NewStringUTF(kNotImplemented); });
}

}  // extern "C"
