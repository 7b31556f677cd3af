<?php
/*
 * Must-use plugin of the page fixtures: what "dofollow" plugins do, switched
 * per site by the option halvane_fixture_follow:
 *   all     - nofollow taken out of author links and links in comment text;
 *   authors - out of author links only (text links keep rel="nofollow ugc");
 *   (empty) - WordPress as it comes.
 * halvane_fixture_widget = 1 prints the Recent Comments widget in the footer
 * (block themes have no widget areas).
 */

function halvane_fixture_unfollow($html) {
  return preg_replace_callback('/<a\s[^>]*>/i', function ($tag) {
    return preg_replace_callback('/\brel\s*=\s*([\'"])(.*?)\1/i', function ($rel) {
      $tokens = array_filter(preg_split('/\s+/', $rel[2]), function ($token) {
        return strcasecmp($token, 'nofollow') !== 0;
      });
      return 'rel=' . $rel[1] . implode(' ', $tokens) . $rel[1];
    }, $tag[0]);
  }, $html);
}

$halvane_follow = get_option('halvane_fixture_follow', '');
if ($halvane_follow === 'all' || $halvane_follow === 'authors') {
  add_filter('get_comment_author_link', 'halvane_fixture_unfollow', 99);
  add_filter('render_block_core/comment-author-name', 'halvane_fixture_unfollow', 99);
}
if ($halvane_follow === 'all') {
  add_filter('comment_text', 'halvane_fixture_unfollow', 99);
  add_filter('render_block_core/comment-content', 'halvane_fixture_unfollow', 99);
}
if (get_option('halvane_fixture_widget', '') === '1') {
  add_action('wp_footer', function () {
    the_widget('WP_Widget_Recent_Comments');
  });
}
