// A small VST 2 host: loads a plug-in binary (or takes an entry function
// linked into the program), creates one instance through its entry point and
// drives it exactly as a host would. Tests and tools use it from one thread;
// the callback answers from this object's public members and records every
// call the plug-in makes back into the host.
#pragma once

#include <string>
#include <vector>

#include "vst/VstInterface.h"

class VstHost {
 public:
  struct HostTransport {
    bool hasTimeInfo = true;  // false: time queries get no answer
    bool playing = false;
    bool cycleActive = false;
    double samplePos = 0;
    double sampleRate = 44100;
    double ppqPos = 0;
    double tempo = 120;
    double barStartPos = 0;
    double cycleStartPos = 0;
    double cycleEndPos = 0;
    int timeSigNumerator = 4;
    int timeSigDenominator = 4;
    VstInt32 validFlags =
        kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;
  };

  struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
  };

  using EntryProc = AEffect*(VST_CALL*)(audioMasterCallback);

  VstHost() = default;
  VstHost(const VstHost&) = delete;
  VstHost& operator=(const VstHost&) = delete;
  ~VstHost();

  // Loads through "VSTPluginMain" (or "main" when that is missing).
  bool Load(const std::string& path, std::string* error);
  bool LoadEntry(const std::string& path, const char* symbol, std::string* error);
  // Creates the instance through an entry linked into this program; name stands
  // for the binary in error messages.
  bool Create(EntryProc entry, const std::string& name, std::string* error);
  // Closes the instance (effClose) and unloads the binary; safe to call twice.
  void Close();
  AEffect* Effect() const { return effect; }

  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.f);
  void SetParameter(int index, float value);
  float GetParameter(int index);
  void ProcessAccumulating(float** inputs, float** outputs, int frames);
  void ProcessReplacing(float** inputs, float** outputs, int frames);
  void ProcessDouble(double** inputs, double** outputs, int frames);

  std::string ParamName(int index);
  std::string ParamLabel(int index);
  std::string ParamDisplay(int index);
  std::string ProgramName();
  std::string ProgramNameIndexed(int index);
  std::string EffectName();
  std::string VendorString();
  std::string ProductString();
  VstIntPtr CanDo(const std::string& text);
  // Bank (program false, index 0) or program chunk; empty when the plug-in gives none.
  std::vector<unsigned char> GetChunk(bool program);
  VstIntPtr SetChunk(const std::vector<unsigned char>& chunk, bool program);

  int CallCount(VstInt32 opcode) const;
  void ClearRecords();

  // What the callback answers.
  bool passNullCallback = false;
  HostTransport transport;
  std::string productString = "Dilatorix test host";
  VstIntPtr vendorVersion = 1000;
  VstIntPtr processEventsAnswer = 1;
  VstIntPtr processLevel = 0;  // 4: rendering offline

  // What the plug-in asked of the host, kept while keepRecords is set: a host
  // that runs for long (the renderer) turns it off, or the lists grow with
  // every processing call.
  bool keepRecords = true;
  std::vector<HostCall> calls;
  std::vector<VstMidiEvent> receivedMidi;
  std::vector<VstEvent> receivedEvents;
  std::vector<VstInt32> timeFilters;

 private:
  static VstIntPtr VST_CALL Callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                     VstIntPtr value, void* ptr, float opt);
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  std::string TextQuery(VstInt32 opcode, VstInt32 index);
  // The entry call itself, with nothing open.
  bool Instantiate(EntryProc entry, const std::string& name, std::string* error);

  void* library = nullptr;
  AEffect* effect = nullptr;
  VstTimeInfo timeInfo = {};
};
