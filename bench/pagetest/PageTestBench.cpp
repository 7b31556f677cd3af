// The modern page test over large pages: bytes per second (the goal is at
// least 50 MB/s) on a long WordPress comment thread (each comment's links
// sorted into the commenter's and the blog's own), on dense markup and on a
// page declared in windows-1252; and the tag scan before the parser.
#include <benchmark/benchmark.h>

#include <string>

#include "pagetest/PageTest.h"
#include "pagetest/TagCost.h"

namespace halvane::pagetest {
namespace {

const char* const kHead =
    "<!doctype html>\n<html lang=\"en-US\" >\n<head>\n<meta charset=\"%CHARSET%\" />\n"
    "<title>Blue widgets &#8211; Widget Notes</title>\n"
    "<link rel='stylesheet' id='twenty-twenty-one-style-css' "
    "href='https://widgetnotes.example/wp-content/themes/twentytwentyone/style.css?ver=1.4' media='all' />\n"
    "<link rel=\"https://api.w.org/\" href=\"https://widgetnotes.example/wp-json/\" />\n"
    "<meta name=\"generator\" content=\"WordPress 6.4.2\" />\n</head>\n"
    "<body class=\"post-template-default single\">\n<div id=\"page\" class=\"site\">\n"
    "<div id=\"comments\" class=\"comments-area\">\n<ol class=\"comment-list\">\n";

// One comment as Twenty Twenty-One writes it, with nofollow removed.
std::string Comment(std::size_t i) {
  const std::string n = std::to_string(i);
  return "<li id=\"comment-" + n + "\" class=\"comment even thread-even depth-1\">\n"
         "<article id=\"div-comment-" + n + "\" class=\"comment-body\">\n"
         "<footer class=\"comment-meta\"><div class=\"comment-author vcard\">"
         "<img alt='' src='https://secure.gravatar.com/avatar/" + n + "?s=60&#038;d=mm&#038;r=g' "
         "class='avatar avatar-60 photo' height='60' width='60' loading='lazy'/>"
         "<b class=\"fn\"><a href='https://reader" + n + ".example' rel='external ugc' class='url'>Reader "
         + n + "</a></b> <span class=\"says\">says:</span></div>\n"
         "<div class=\"comment-metadata\"><a href=\"https://widgetnotes.example/blue/#comment-" + n +
         "\"><time datetime=\"2023-11-20T08:14:31+00:00\">November 20, 2023 at 8:14 am</time></a></div>\n"
         "</footer>\n<div class=\"comment-content\">\n<p>Thanks for the table of sizes. Ours are the "
         "middle ones &amp; they hold up well on a bench of two; see <a href=\"https://reader" + n +
         ".example/bench\" rel=\"ugc\">my bench</a> for photos of the rack and the paint we used.</p>\n"
         "<p>One question: do you fit them before or after painting? We had trouble with the second coat "
         "cracking around the hinge, and the maker&#8217;s notes say nothing about it.</p>\n"
         "</div>\n</article>\n</li><!-- #comment-## -->\n";
}

const char* const kTail =
    "</ol>\n<div id=\"respond\" class=\"comment-respond\"><form action=\"https://widgetnotes.example/"
    "wp-comments-post.php\" method=\"post\" id=\"commentform\" class=\"comment-form\"><textarea "
    "id=\"comment\" name=\"comment\"></textarea></form></div>\n</div>\n</div>\n</body>\n</html>\n";

std::string CommentThread(std::size_t bytes, const std::string& charset) {
  std::string page = kHead;
  page.replace(page.find("%CHARSET%"), 9, charset);
  for (std::size_t i = 0; page.size() < bytes; ++i) page += Comment(i);
  page += kTail;
  return page;
}

// Mostly tags: small elements, short texts, many attributes.
std::string DenseMarkup(std::size_t bytes) {
  std::string page = "<html><head><meta name=generator content='WordPress 6.4'></head><body>";
  for (std::size_t i = 0; page.size() < bytes; ++i) {
    page += "<div class=r><span class=a>" + std::to_string(i) +
            "</span><a href=/p/" + std::to_string(i) + " class=l data-x=1>x</a><br><i>y</i></div>\n";
  }
  return page + "</body></html>";
}

void Run(benchmark::State& state, const std::string& page) {
  // The page's own host is known, as in a run: its permalinks are told
  // from the commenters' links.
  TPageContext context;
  context.UserDomain = "myshop.example";
  context.PageHost = "widgetnotes.example";
  context.PageSite = "widgetnotes.example";
  for (auto _ : state) {
    TPageVerdict verdict = TestPage(page, context);
    benchmark::DoNotOptimize(verdict);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(page.size()));
}

void BM_CommentThread(benchmark::State& state) {
  Run(state, CommentThread(static_cast<std::size_t>(state.range(0)) << 20, "UTF-8"));
}

void BM_CommentThreadWindows1252(benchmark::State& state) {
  Run(state, CommentThread(static_cast<std::size_t>(state.range(0)) << 20, "windows-1252"));
}

void BM_DenseMarkup(benchmark::State& state) {
  Run(state, DenseMarkup(static_cast<std::size_t>(state.range(0)) << 20));
}

// The look over the tags that runs before the parser, alone.
void BM_CrowdedTagScan(benchmark::State& state) {
  const std::string page = CommentThread(std::size_t{8} << 20, "UTF-8");
  for (auto _ : state) benchmark::DoNotOptimize(HasCrowdedTags(page));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(page.size()));
}

BENCHMARK(BM_CommentThread)->Arg(1)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommentThreadWindows1252)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseMarkup)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrowdedTagScan)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace halvane::pagetest

BENCHMARK_MAIN();
