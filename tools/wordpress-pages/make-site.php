<?php
/*
 * Builds one WordPress site of the page fixtures and prints, for each page
 * to save, a line "name TAB path TAB expected verdict..." taken from
 * WordPress's own data (which comments exist, their links, whether comments
 * are open), never from the served markup.
 *
 * php make-site.php HOST PORT THEME THREADED FOLLOW
 *   THEME: twentytwentyone | twentytwentythree; THREADED: 0 | 1;
 *   FOLLOW: none | all | authors
 */
if ($argc !== 6) {
  fwrite(STDERR, "usage: php make-site.php HOST PORT THEME THREADED FOLLOW\n");
  exit(2);
}
// WordPress's start-up uses globals such as $theme: the arguments are kept
// apart from them.
[, $halvane_host, $halvane_port, $halvane_theme, $halvane_threaded, $halvane_follow] = $argv;
define('HALVANE_ARGS', [$halvane_host, $halvane_port, $halvane_theme, $halvane_threaded, $halvane_follow]);
$_SERVER['HTTP_HOST'] = $halvane_host;
$_SERVER['REQUEST_URI'] = '/';
$_SERVER['SERVER_NAME'] = $halvane_host;
define('WP_INSTALLING', true);
require '/usr/share/wordpress/wp-load.php';
require_once ABSPATH . 'wp-admin/includes/upgrade.php';
[$host, $port, $theme, $threaded, $follow] = HALVANE_ARGS;
// No mail leaves the machine (there is no mail server either).
add_filter('pre_wp_mail', '__return_false');

$site = "http://$host:$port";
$installed = wp_install("Fixture $host", 'fixture', 'fixture@example.invalid', true, '', wp_generate_password(20));
if (is_wp_error($installed) || empty($installed['user_id'])) {
  fwrite(STDERR, "make-site: WordPress did not install on $host\n");
  exit(1);
}
update_option('siteurl', $site);
update_option('home', $site);
global $wp_rewrite;
$wp_rewrite->set_permalink_structure('/%year%/%monthnum%/%postname%/');
update_option('thread_comments', (int)$threaded);
update_option('comment_moderation', 0);
update_option('comment_previously_approved', 0);
update_option('comment_max_links', 0);
update_option('comments_notify', 0);
update_option('moderation_notify', 0);
update_option('require_name_email', 1);
update_option('halvane_fixture_follow', $follow === 'none' ? '' : $follow);
switch_theme($theme);
if ($theme === 'twentytwentyone') {
  // The Recent Comments widget in the theme's footer widget area.
  update_option('widget_recent-comments', [2 => ['title' => '', 'number' => 5], '_multiwidget' => 1]);
  update_option('sidebars_widgets', ['wp_inactive_widgets' => [], 'sidebar-1' => ['recent-comments-2'],
                                     'array_version' => 3]);
} else {
  update_option('halvane_fixture_widget', '1');
}
// The sample post and page of a new install stay out of the fixtures.
foreach (get_posts(['post_type' => ['post', 'page'], 'post_status' => 'any', 'numberposts' => -1]) as $old) {
  wp_delete_post($old->ID, true);
}
remove_all_actions('check_comment_flood');
add_filter('comment_flood_filter', '__return_false');
wp_set_current_user(0);

function halvane_post($slug, $title, $content, $date) {
  $id = wp_insert_post(['post_title' => $title, 'post_name' => $slug, 'post_content' => $content,
                        'post_status' => 'publish', 'post_author' => 1, 'post_date' => $date,
                        'comment_status' => 'open'], true);
  if (is_wp_error($id)) {
    fwrite(STDERR, "make-site: post $slug: " . $id->get_error_message() . "\n");
    exit(1);
  }
  return $id;
}

function halvane_comment($post, $author, $url, $text, $parent = 0) {
  static $n = 0;
  $n++;
  $id = wp_new_comment(['comment_post_ID' => $post, 'comment_author' => $author,
                        'comment_author_email' => "reader$n@example.invalid", 'comment_author_url' => $url,
                        'comment_content' => $text, 'comment_parent' => $parent, 'comment_type' => 'comment',
                        'comment_author_IP' => "127.0.0.$n", 'comment_agent' => 'fixture', 'user_id' => 0,
                        'comment_date' => gmdate('Y-m-d H:i:s', 1675209600 + 60 * $n),
                        'comment_date_gmt' => gmdate('Y-m-d H:i:s', 1675209600 + 60 * $n)], true);
  if (is_wp_error($id) || wp_get_comment_status($id) !== 'approved') {
    fwrite(STDERR, "make-site: comment by $author was not approved\n");
    exit(1);
  }
  return $id;
}

$withComments = halvane_post('widget-racks', 'Widget racks compared',
    '<!-- wp:paragraph --><p>Three racks for blue widgets, side by side.</p><!-- /wp:paragraph -->', '2023-01-02 10:00:00');
$first = halvane_comment($withComments, 'Bob', 'https://bob.example/', 'The middle one holds up best.');
halvane_comment($withComments, 'Shop Owner', 'https://www.myshop.example/', 'We sell the middle one.', $first);
halvane_comment($withComments, 'Carla', '',
    'My notes are at <a href="https://carla-notes.example/racks">carla notes</a>; compare <a href="https://notmyshop.example/">not my shop</a>.');
$noComments = halvane_post('widget-paint', 'Painting widgets',
    '<!-- wp:paragraph --><p>Two coats, no more.</p><!-- /wp:paragraph -->', '2023-01-03 10:00:00');
$closed = halvane_post('widget-hinges', 'Widget hinges',
    '<!-- wp:paragraph --><p>Oil them once a year.</p><!-- /wp:paragraph -->', '2023-01-04 10:00:00');
halvane_comment($closed, 'Dan', 'https://dan.example/', 'Once a month here.');
wp_update_post(['ID' => $closed, 'comment_status' => 'closed']);
$postLink = halvane_post('widget-shops', 'Where to buy widgets',
    '<!-- wp:paragraph --><p>Ours come from <a href="https://shop.myshop.example/deals">MyShop deals</a>.</p><!-- /wp:paragraph -->',
    '2023-01-05 10:00:00');
flush_rewrite_rules(false);

// The expected verdict of a post from WordPress's data.
function halvane_links($html) {
  preg_match_all('/<a\s[^>]*href=["\']([^"\']*)["\'][^>]*>(.*?)<\/a>/is', $html, $found, PREG_SET_ORDER);
  return array_map(function ($m) { return [$m[1], trim(preg_replace('/\s+/', ' ', wp_strip_all_tags($m[2])))]; }, $found);
}

function halvane_is_users($url) {
  $host = strtolower((string)parse_url($url, PHP_URL_HOST));
  return $host === 'myshop.example' || substr($host, -strlen('.myshop.example')) === '.myshop.example';
}

function halvane_expect($post, $host, $follow) {
  $followed = 0;
  $nofollow = 0;
  $candidates = halvane_links(get_post($post)->post_content);
  // Display order: each thread, its replies after it (oldest first).
  $comments = get_comments(['post_id' => $post, 'status' => 'approve', 'orderby' => 'comment_date_gmt',
                            'order' => 'ASC', 'hierarchical' => 'flat']);
  foreach ($comments as $comment) {
    $links = [];
    if ($comment->comment_author_url !== '') $links[] = [$comment->comment_author_url, $comment->comment_author, true];
    foreach (halvane_links($comment->comment_content) as $link) $links[] = [$link[0], $link[1], false];
    foreach ($links as [$url, $anchor, $isAuthor]) {
      $candidates[] = [$url, $anchor];
      if (strtolower((string)parse_url($url, PHP_URL_HOST)) === $host) continue;
      $isNofollow = $follow === 'none' || ($follow === 'authors' && !$isAuthor);
      $isNofollow ? $nofollow++ : $followed++;
    }
  }
  $verdict = $followed + $nofollow === 0 ? 'None yet' : ($nofollow === 0 ? 'Followed' : ($followed === 0 ? 'nofollow' : 'Mixed'));
  $yours = ['No', '-'];
  foreach ($candidates as [$url, $anchor]) {
    if (halvane_is_users($url)) {
      $yours = ['Yes', $anchor === '' ? '-' : $anchor];
      break;
    }
  }
  return ['yes', comments_open($post) ? 'Open' : 'Closed', $verdict, $yours[0], $yours[1]];
}

foreach (['with-comments' => $withComments, 'no-comments' => $noComments, 'closed' => $closed,
          'post-link' => $postLink] as $name => $post) {
  $path = substr(get_permalink($post), strlen($site));
  echo implode("\t", array_merge([$name, $path], halvane_expect($post, $host, $follow))), "\n";
}
echo implode("\t", ['not-found', '/no-such-page/', 'yes', 'Closed', 'None yet', 'No', '-']), "\n";
