# shellcheck shell=bash
# A private home for Ardour 7 (Debian's `ardour` package) holding one copy of
# the module, shared by scripts/ardour.sh and the daw tests. Sourced, never run.
# Everything Ardour and the module write goes under that home, never into the
# user's own configuration.
source "$(dirname "${BASH_SOURCE[0]}")/hosts-common.sh"

# ardour_plugin_type MODULE: Ardour's name for MODULE's format, as its Lua
# scripts know it: LV2 for a .lv2 bundle, VST3 for a .vst3 bundle, LXVST for
# the VST 2.4 module.
ardour_plugin_type() {
  case $1 in
  *.lv2 | *.lv2/) echo LV2 ;;
  *.vst3 | *.vst3/) echo VST3 ;;
  *) echo LXVST ;;
  esac
}

# prepare_ardour_home WORK MODULE: empties WORK, makes WORK/home the home
# (exported with the XDG folders, LXVST_PATH, VST3_PATH and LV2_PATH) and
# puts a copy of MODULE, the VST 2.4 module, the VST 3 bundle or the LV2
# bundle (folders), in WORK/plugins, then scans it so that Ardour knows it.
prepare_ardour_home() {
  local work=$1 module=$2 copy
  private_home "$work"
  # A folder per format, so that neither scanner tries the other's library.
  mkdir -p "$work/plugins/vst" "$work/plugins/vst3" "$work/plugins/lv2" "$XDG_CONFIG_HOME/ardour7/export"
  export LXVST_PATH=$work/plugins/vst VST3_PATH=$work/plugins/vst3 LV2_PATH=$work/plugins/lv2
  case $(ardour_plugin_type "$module") in
  LV2)
    copy=$LV2_PATH/Kestrion.lv2
    install_lv2_bundle "$module" "$LV2_PATH"
    ;;
  VST3)
    copy=$VST3_PATH/Kestrion.vst3
    cp -r "$module" "$copy"
    ;;
  *)
    copy=$LXVST_PATH/Kestrion.so
    cp "$module" "$copy"
    ;;
  esac
  # Ardour trusts its scan cache only when it is strictly newer than the module.
  find "$copy" -exec touch -d "1 minute ago" {} +

  # Ardour's first-run wizard, engine dialog and memory warning stay away with
  # these three files; the engine is the dummy backend.
  local config=$XDG_CONFIG_HOME/ardour7
  touch "$config/.a7"
  cat >"$config/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device="" output-device=""
               sample-rate="44100" buffer-size="1024" n-periods="2" input-latency="0" output-latency="0"
               input-channels="0" output-channels="0" active="1" use-buffered-io="0" midi-option=""
               lm-input="" lm-output="" lm-valid="0"/>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
XML
  echo '<?xml version="1.0" encoding="UTF-8"?><instant><no-memory-warning/></instant>' >"$config/instant.xml"
  write_exact_export_preset "$config/export"

  scan_module "$copy"
}

# Ardour's own WAV presets dither to 16 bits, which adds fresh noise to every
# export; this one writes the session's 32-bit floats untouched, so that two
# exports of the same session can be compared sample by sample.
ARDOUR_EXACT_PRESET=b94d69e0-9df3-4286-8346-f2bfac1f530b
write_exact_export_preset() {
  local dir=$1 format=98682a29-37da-440c-a102-f8d44446868d
  cat >"$dir/exact.preset" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="$ARDOUR_EXACT_PRESET" name="Float WAV, undithered">
  <ExportFormat id="$format"/>
</ExportPreset>
XML
  cat >"$dir/exact.format" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<ExportFormatSpecification name="Float WAV, undithered" id="$format" analyse="0">
  <Encoding id="F_WAV" type="T_Sndfile" extension="wav" name="WAV" has-sample-format="true" channel-limit="256"/>
  <SampleRate rate="SR_Session"/>
  <SRCQuality quality="SRC_SincBest"/>
  <EncodingOptions>
    <Option name="sample-format" value="SF_Float"/>
    <Option name="dithering" value="D_None"/>
    <Option name="tag-metadata" value="false"/>
    <Option name="tag-support" value="false"/>
    <Option name="broadcast-info" value="false"/>
  </EncodingOptions>
  <Processing>
    <Normalize enabled="false" loudness="no" dbfs="0" lufs="-23" dbtp="-1"/>
    <Silence>
      <Start><Trim enabled="false"/><Add enabled="false"/></Start>
      <End><Trim enabled="false"/><Add enabled="false"/></End>
    </Silence>
  </Processing>
</ExportFormatSpecification>
XML
}

# scan_module MODULE: Ardour's scanner for MODULE's format run once over it;
# it writes what it learnt under $XDG_CACHE_HOME/ardour7/vst, to a .v2i file
# for a VST 2.4 module, to a .v3i file for a VST 3 bundle. Ardour reads LV2
# bundles' descriptions afresh at each start: they have no scanner.
scan_module() {
  local scanner=ardour-vst-scanner
  case $(ardour_plugin_type "$1") in
  LV2) return 0 ;;
  VST3) scanner="ardour-vst3-scanner -v" ;;
  esac
  # shellcheck disable=SC2086 # the scanner and its option
  LD_LIBRARY_PATH=/usr/lib/ardour7 timeout -k 5 30 /usr/lib/ardour7/$scanner -f "$1"
}
