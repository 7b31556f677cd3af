#!/bin/bash
# Saves pages as a real WordPress serves them, for the page test's tests:
# Debian's wordpress package with its default classic and block themes,
# served by apache2 and mariadb on 127.0.0.1 only, then stopped again.
#
# Run by hand as root on Debian 12 (not in CI):
#   tools/wordpress-pages/make-pages.sh [--install] [OUT]
# --install apt-installs wordpress, its themes, mariadb-server, apache2 and
# libapache2-mod-php first. OUT defaults to tests/data/pagetest/wordpress;
# it gets one HTML file per page and manifest.tsv with the verdict each page
# must give, taken from WordPress's own data.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$HERE/../../tests/data/pagetest/wordpress
PORT=8089
if [ "${1:-}" = "--install" ]; then
  shift
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends wordpress \
    wordpress-theme-twentytwentyone wordpress-theme-twentytwentythree mariadb-server apache2 \
    libapache2-mod-php php-mysql curl
fi
[ $# -ge 1 ] && OUT=$1
[ "$(id -u)" = 0 ] || { echo "make-pages: run as root (it writes /etc/wordpress/config-*.php)" >&2; exit 2; }
for need in /usr/share/wordpress/wp-load.php /usr/sbin/mariadbd /usr/sbin/apache2 /usr/lib/apache2/modules/libphp8.2.so; do
  [ -e "$need" ] || { echo "make-pages: $need is missing; run with --install" >&2; exit 2; }
done

WORK=$(mktemp -d /tmp/halvane-wordpress-XXXXXX)
chmod 755 "$WORK"
SOCKET=$WORK/mysqld.sock
MU=/var/lib/wordpress/wp-content/mu-plugins
CONFIGS=()

stop() {
  [ -f "$WORK/apache.pid" ] && kill "$(cat "$WORK/apache.pid")" 2>/dev/null || true
  [ -f "$WORK/mysqld.pid" ] && kill "$(cat "$WORK/mysqld.pid")" 2>/dev/null || true
  for config in "${CONFIGS[@]}"; do rm -f "$config"; done
  rm -f "$MU/halvane-fixture.php"
  rmdir "$MU" 2>/dev/null || true  # when the script made it
  sleep 1
  rm -rf "$WORK"
}
trap stop EXIT

# The database: a private data folder, reached through a socket only.
mariadb-install-db --user=root --datadir="$WORK/db" --auth-root-authentication-method=normal >"$WORK/db-install.log" 2>&1
mariadbd --user=root --datadir="$WORK/db" --socket="$SOCKET" --pid-file="$WORK/mysqld.pid" \
  --skip-networking --skip-grant-tables --log-error="$WORK/mysqld.log" &
for _ in $(seq 100); do [ -S "$SOCKET" ] && break; sleep 0.2; done
[ -S "$SOCKET" ] || { echo "make-pages: mariadb did not start; see $WORK/mysqld.log" >&2; cat "$WORK/mysqld.log" >&2; exit 1; }
chmod 777 "$SOCKET"

mkdir -p "$MU"
cp "$HERE/fixture-mu-plugin.php" "$MU/halvane-fixture.php"

# The web server: 127.0.0.1 only, WordPress as Debian lays it out.
cat >"$WORK/apache.conf" <<CONF
ServerRoot /etc/apache2
PidFile $WORK/apache.pid
Listen 127.0.0.1:$PORT
ServerName 127.0.0.1
User www-data
Group www-data
ErrorLog $WORK/apache-error.log
LogLevel warn
LoadModule mpm_prefork_module /usr/lib/apache2/modules/mod_mpm_prefork.so
LoadModule authz_core_module /usr/lib/apache2/modules/mod_authz_core.so
LoadModule dir_module /usr/lib/apache2/modules/mod_dir.so
LoadModule mime_module /usr/lib/apache2/modules/mod_mime.so
LoadModule alias_module /usr/lib/apache2/modules/mod_alias.so
LoadModule php_module /usr/lib/apache2/modules/libphp8.2.so
TypesConfig /etc/mime.types
StartServers 2
MaxRequestWorkers 4
DocumentRoot /usr/share/wordpress
Alias /static $WORK/static
Alias /wp-content /var/lib/wordpress/wp-content
<Directory /usr/share/wordpress>
  Options FollowSymLinks
  Require all granted
  DirectoryIndex index.php
  FallbackResource /index.php
</Directory>
<Directory /var/lib/wordpress/wp-content>
  Options FollowSymLinks
  Require all granted
</Directory>
<Directory $WORK/static>
  Require all granted
</Directory>
<FilesMatch "\.php$">
  SetHandler application/x-httpd-php
</FilesMatch>
CONF

mkdir -p "$OUT"
rm -f "$OUT"/*.html
MANIFEST=$OUT/manifest.tsv
{
  echo "# Pages saved from WordPress $(dpkg-query -W -f='${Version}' wordpress) by tools/wordpress-pages/make-pages.sh."
  echo "# Expected verdicts come from WordPress's data (comments, their links, comments open), for the"
  echo "# user's domain myshop.example. Columns: file, address, registrable domain, WordPress, Comments,"
  echo "# Comment Links (nofollow: no row), Has Your Link, Anchor Name."
} >"$MANIFEST"

# host theme threaded follow
SITES="tt1-threaded.wp.test twentytwentyone 1 none
tt1-flat-dofollow.wp.test twentytwentyone 0 all
tt1-authors.wp.test twentytwentyone 1 authors
tt3-threaded.wp.test twentytwentythree 1 none
tt3-dofollow.wp.test twentytwentythree 1 all
tt3-flat-authors.wp.test twentytwentythree 0 authors"

n=0
while read -r host theme threaded follow; do
  n=$((n + 1))
  db=fixture_$n
  mariadb --socket="$SOCKET" -e "CREATE DATABASE $db"
  config=/etc/wordpress/config-$host.php
  CONFIGS+=("$config")
  cat >"$config" <<PHP
<?php
define('DB_NAME', '$db');
define('DB_USER', 'root');
define('DB_PASSWORD', '');
define('DB_HOST', 'localhost:$SOCKET');
define('DISABLE_WP_CRON', true);
define('WP_HTTP_BLOCK_EXTERNAL', true);
define('AUTOMATIC_UPDATER_DISABLED', true);
PHP
  chmod 644 "$config"
  php "$HERE/make-site.php" "$host" "$PORT" "$theme" "$threaded" "$follow" >"$WORK/$host.pages"
  chown -R www-data /var/lib/wordpress/wp-content/uploads 2>/dev/null || true
done <<<"$SITES"

apache2 -f "$WORK/apache.conf" -k start
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$PORT/" && break; sleep 0.2; done

while read -r host theme threaded follow; do
  while IFS=$'\t' read -r name path wordpress comments links yours anchor; do
    file=$host-$name.html
    url=http://$host:$PORT$path
    curl -s --max-time 30 --resolve "$host:$PORT:127.0.0.1" -o "$OUT/$file" "$url"
    [ -s "$OUT/$file" ] || { echo "make-pages: $url gave nothing; see $WORK/apache-error.log" >&2; cat "$WORK/apache-error.log" >&2; exit 1; }
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$file" "$url" wp.test "$wordpress" "$comments" "$links" "$yours" "$anchor" >>"$MANIFEST"
  done <"$WORK/$host.pages"
done <<<"$SITES"

# A static page on another site that shows an image hot-linked from one of
# the blogs: served by the same server, but no WordPress.
mkdir -p "$WORK/static"
image=$(ls /usr/share/wordpress/wp-content/themes/twentytwentythree/assets/fonts 2>/dev/null | head -1)
cat >"$WORK/static/index.html" <<HTML
<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Widget gallery</title>
<link rel="canonical" href="http://gallery.static.test:$PORT/static/"></head>
<body><h1>Widget gallery</h1>
<p><img src="http://tt1-threaded.wp.test:$PORT/wp-content/themes/twentytwentythree/assets/fonts/$image" alt="a widget"></p>
<p>Found at <a href="http://tt1-threaded.wp.test:$PORT/">a blog</a>.</p></body></html>
HTML
curl -s --resolve "gallery.static.test:$PORT:127.0.0.1" -o "$OUT/static-hotlink.html" "http://gallery.static.test:$PORT/static/"
printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' static-hotlink.html "http://gallery.static.test:$PORT/static/" static.test \
  no Closed "None yet" No - >>"$MANIFEST"

echo "make-pages: saved $(grep -vc '^#' "$MANIFEST") pages and $MANIFEST"
