package com.norvane.quill.tessel.gen;

/**
 * The portal's view of the native page-generation library (libxmlagent). Requests and answers
 * travel through files in the user-data folder; the methods carry no payload.
 */
public class XmlAgent {
  static {
    System.loadLibrary("xmlagent");
  }

  /** Starts the library's command thread; the agent itself starts with the first request. */
  public native void init();

  /** Sets a configuration value; the first value set for a name wins for the process. */
  public native void setInitParameter(String name, String value);

  /** Generates the page that generated/ParameterFile.txt asks for; always returns 0. */
  public native int generateFromLinkWithAParameterFile();

  /** Writes the ancestors of the parameter file's artifact to generated/Output.txt. */
  public native void getAncestorsWithAParameterFile();

  /** Makes the loaded data sources forget what they have cached. */
  public native void refresh();

  /** Shuts the agent down and ends the command thread; later requests do nothing. */
  public native void close();

  /** Does nothing. */
  public native void sync();

  /** Returns "Method Not Implemented". */
  public native String name();

  /** Returns "Method Not Implemented"; the argument is not read. */
  public native String GetParent(int x);
}
