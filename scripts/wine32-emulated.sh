#!/usr/bin/env bash
# 32-bit Wine for machines that run no 32-bit code: Debian 12's own wine32,
# run under user-mode emulation by Debian 13's static qemu-i386, served by the
# system's native 64-bit wineserver (the wine64 package, same version).
#   scripts/wine32-emulated.sh DIR
# Downloads the packages with a private apt state into DIR (the system's Wine
# and package database stay untouched) from the Debian archive named in the
# machine's own apt sources, unpacks them into DIR/root and puts `wine` and
# `wineserver` commands for that root into DIR/bin. Idempotent: a finished
# DIR costs nothing; an interrupted one reuses its downloads.
set -euo pipefail

dir=$(realpath -m "${1:?usage: wine32-emulated.sh DIR}")
root="$dir/root"
server=/usr/lib/wine/wineserver64
# The emulated Wine speaks to the native server: both must be one version.
wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) ||
    { echo "wine32-emulated.sh: the wine64 package is not installed" >&2; exit 1; }
stamp_version="2 wine32 $wine_version"
if [[ $(cat "$dir/.ready" 2>/dev/null) == "$stamp_version" ]]; then
    exit 0
fi

# Where this machine installs Debian 12 from, as its own apt sources say (read
# without their downloaded indexes): the release and its updates, each as
# "ARCHIVE SUITE".
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
mapfile -t suites < <(apt-get indextargets --no-release-info --format '$(REPO_URI) $(RELEASE)' \
                          'Created-By: Packages' 'Component: main' |
                      awk -v c="$codename" '$2 == c || index($2, c "-") == 1' | sort -u)
archive=$(printf '%s\n' "${suites[@]}" | awk -v c="$codename" '$2 == c { print $1; exit }')
[[ -n $archive ]] ||
    { echo "wine32-emulated.sh: the apt sources name no archive of Debian $codename" >&2; exit 1; }

# apt-get with a state of its own under DIR/apt/NAME, for one architecture and
# the given "ARCHIVE SUITE" lines:
#   private_apt NAME ARCH SOURCES APT_ARGS...
private_apt() {
    local name=$1 arch=$2 sources=$3 state="$dir/apt/$1" line
    shift 3
    mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
    [[ -f $state/status ]] || : > "$state/status"
    while read -r line; do
        echo "deb [arch=$arch signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $line main"
    done <<<"$sources" > "$state/sources.list"
    apt-get -qq -o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::Etc::Preferences=/dev/null -o Dir::Etc::PreferencesParts=/dev/null \
        -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache" -o Dir::State::status="$state/status" \
        -o APT::Architecture="$arch" -o APT::Architectures::="$arch" \
        -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}

echo "Setting up 32-bit Wine $wine_version under qemu-i386 in $dir (from $archive)"
# Debian 12's qemu-user 7.2 hangs in wineboot; Debian 13's 10.0 runs it.
private_apt qemu amd64 "$archive trixie" update
(cd "$dir/apt/qemu/cache/archives" && private_apt qemu amd64 "$archive trixie" download qemu-user)
private_apt wine32 i386 "$(printf '%s\n' "${suites[@]}")" update
private_apt wine32 i386 "$(printf '%s\n' "${suites[@]}")" install -y --download-only --no-install-recommends \
    "wine32=$wine_version" libfreetype6 libfontconfig1 libxrender1 libxrandr2 libxi6 libxcursor1 \
    libxinerama1 libxcomposite1

rm -rf "$root" "$dir/qemu" "$dir/bin"
mkdir -p "$root"
for deb in "$dir"/apt/wine32/cache/archives/*.deb; do
    dpkg-deb -x "$deb" "$root"
done
deb=$(ls "$dir"/apt/qemu/cache/archives/qemu-user_*.deb | tail -n 1)
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$dir" --transform 's,^\./usr/bin/,qemu/,' ./usr/bin/qemu-i386
qemu="$dir/qemu/qemu-i386"

# Merged /usr, as the packages expect it.
for d in bin sbin lib; do
    if [[ -d $root/$d && ! -L $root/$d ]]; then
        mkdir -p "$root/usr/$d"
        cp -a "$root/$d/." "$root/usr/$d/"
        rm -rf "${root:?}/$d"
    fi
    ln -sfn "usr/$d" "$root/$d"
done

# The emulator looks a path up in the root first, then on the system. The
# root's own library cache keeps the system's 64-bit one out of the loader's
# way; its font folders, which hold little or nothing, would hide the
# system's fonts; its fontconfig cache stays in the root.
echo 'include /etc/ld.so.conf.d/*.conf' > "$root/etc/ld.so.conf"
ldconfig -r "$root"
rm -rf "$root/usr/share/fonts" "$root/usr/share/wine/fonts"
mkdir -p "$root/var/cache/fontconfig"
sed -i -e '/<cachedir/d' \
    -e "s,</fontconfig>,<cachedir>$root/var/cache/fontconfig</cachedir>\n</fontconfig>," \
    "$root/etc/fonts/fonts.conf"

# What libwine's install script does: zlib1.dll made a Wine builtin from the
# MinGW build of zlib.
zlib="$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
mingw_zlib="$root/usr/i686-w64-mingw32/lib/zlib1.dll"
if [[ -f $mingw_zlib ]]; then
    {
        head -c 64 "$mingw_zlib"
        printf 'Wine builtin DLL'
        head -c 16 /dev/zero
        tail -c +97 "$mingw_zlib"
    } > "$zlib"
fi

# Wine starts every new process by running <its folder>/wine and starts its
# server as <its folder>/wineserver: the loader runs under the emulator (no
# preloader re-exec, argv[0] kept so that Wine finds its folder), the server
# is the native one, which alone can reach other processes' memory.
mv "$root/usr/lib/wine/wine" "$root/usr/lib/wine/wine.real"
cat > "$root/usr/lib/wine/wine" <<SCRIPT
#!/bin/sh
WINELOADERNOEXEC=1 exec "$qemu" -L "$root" -0 "$root/usr/lib/wine/wine" "$root/usr/lib/wine/wine.real" "\$@"
SCRIPT
printf '#!/bin/sh\nexec %s "$@"\n' "$server" > "$root/usr/lib/wine/wineserver"
chmod +x "$root/usr/lib/wine/wine" "$root/usr/lib/wine/wineserver"

mkdir -p "$dir/bin"
ln -s "$root/usr/lib/wine/wine" "$dir/bin/wine"
ln -s "$root/usr/lib/wine/wineserver" "$dir/bin/wineserver"
echo "$stamp_version" > "$dir/.ready"
