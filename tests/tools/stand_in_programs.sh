# Sourced by the tool tests: stand_in_programs DIR puts into DIR the files
# that the win32 build stages beside the generated data of the demo product
# (the viewer, GraphEdit, the uninstaller, the three filters and the module
# and device plug-ins), as small stand-ins, so that a host test can make a
# whole product.
stand_in_programs() {
  local dir=$1 name
  mkdir -p "$dir/Filters" "$dir/Modules"
  for name in Orbivue.exe uninstall.exe graphedt.exe Filters/mpgdec.ax Filters/mlcom.ax \
      Filters/thsource.ax Modules/Agenda.Module Modules/Planner.Module Modules/IrBridge.Module \
      Modules/Beacon.Module Modules/Relay.module Modules/SatCardA.Device Modules/SatCardB.Device \
      Modules/SatCardC.Device Modules/SatCardD.Device Modules/SatCardE.device \
      Modules/SatCardF.device Modules/SatCardG.Device Modules/SatCardH.Device \
      Modules/RemoteFeed.Device; do
    printf 'MZ stand-in for %s\n' "$name" > "$dir/$name"
  done
}
