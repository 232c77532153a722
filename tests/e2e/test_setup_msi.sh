#!/usr/bin/env bash
# A Windows Installer package in product\, named by SetupFileName, is
# installed through the system's msiexec with SetupParams; the
# self-extractor exits with msiexec's exit code.
source "$(dirname "$0")/lib.sh"
command -v wixl >/dev/null || fail "wixl is not installed"

mkdir -p "$T/pkg/product"
echo "installed by the test" >"$T/readme.txt"
cat >"$T/tiny.wxs" <<'WXS'
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="Launch Test Package" Language="1033" Version="1.0.0"
           Manufacturer="Test" UpgradeCode="7F3C2B1A-5D4E-4F60-9A8B-1C2D3E4F5A6B">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine" />
    <Condition Message="Blocked on request.">NOT BLOCKME</Condition>
    <Media Id="1" Cabinet="data.cab" EmbedCab="yes" />
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="LaunchTestPkg">
          <Component Id="MainFile" Guid="3A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9">
            <File Id="Readme" Source="readme.txt" KeyPath="yes" />
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="MainFile" /></Feature>
  </Product>
</Wix>
WXS
(cd "$T" && wixl -o "$T/pkg/product/Tiny Package.MSI" tiny.wxs)

target="$T/installed"
wintarget="$(winpath "$T")\\installed"
printf '[main]\nSetupFileName=Tiny Package.MSI\nSetupParams=/qn INSTALLDIR="%s"\n' "$wintarget" >"$T/config.ini"
pack --config "$T/config.ini" --dir "$T/pkg" -o "$T/setup.exe" >/dev/null

run_setup "$T/setup.exe" /q
expect_exit 0
[ "$(cat "$target/readme.txt" 2>/dev/null)" = "installed by the test" ] ||
  fail "the package's file was not installed into $target"
assert_no_working_folder_left

# The self-extractor's own "/l <culture>" is not passed on: to msiexec it would
# name a log file, written by the elevated msiexec into its working folder,
# the system folder.
rm -rf "$target"
sysdir="$WINEPREFIX/drive_c/windows/system32"
run_setup "$T/setup.exe" /q /l de-DE
expect_exit 0
[ -f "$target/readme.txt" ] || fail "not installed with /l de-DE"
for d in "$sysdir" "$WINEPREFIX/drive_c/windows/syswow64"; do
  [ ! -e "$d/de-DE" ] || fail "msiexec wrote a log named after the culture: $d/de-DE"
done
timeout "$WINE_TIMEOUT" wine msiexec /x "$(winpath "$T/pkg/product/Tiny Package.MSI")" /qn >/dev/null 2>&1 || true

# msiexec's own failure code comes back as the exit code: the launch
# condition fails with 1603 when BLOCKME is set (here by the own arguments).
rm -rf "$target"
run_setup "$T/setup.exe" /q BLOCKME=1
expect_exit 1603
[ ! -e "$target/readme.txt" ] || fail "installed although blocked"
assert_no_working_folder_left

timeout "$WINE_TIMEOUT" wine msiexec /x "$(winpath "$T/pkg/product/Tiny Package.MSI")" /qn >/dev/null 2>&1 || true
echo "msi launch ok"
