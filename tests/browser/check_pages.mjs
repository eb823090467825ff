// Drives headless Chromium over a results folder:
//   node check_pages.mjs <results folder> <screenshot folder>
// Loads index.html and every pair page from file://, sorts the pairs table by
// clicking column headers, clicks a passage and checks that its partners are
// marked, checks that document bytes holding markup changed nothing on any
// page (no dialog, no script or comment of theirs, the title kept), and saves
// screenshots of the index and the first pair page. Exits 0 when every check
// passes, 1 otherwise.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const [resultsDir, shotsDir, option] = process.argv.slice(2);
// --any-study: a study without the document whose name holds markup (the
// sample study, for the README's screenshots).
const anyStudy = option === '--any-study';
if (!resultsDir || !shotsDir) {
  console.error('usage: node check_pages.mjs <results folder> <screenshot folder>');
  process.exit(2);
}
fs.mkdirSync(shotsDir, { recursive: true });

const failures = [];
function check(condition, what) {
  if (!condition) failures.push(what);
  console.log(`${condition ? 'ok  ' : 'FAIL'} ${what}`);
}

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'collusion-chromium-'));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         `--user-data-dir=${profile}`],
});

// A page that records dialogs, script errors, console errors (a blocked
// resource shows there) and any request that is not for a local file.
async function openPage(file) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
  const trouble = [];
  page.on('dialog', async (dialog) => { trouble.push(`dialog: ${dialog.message()}`); await dialog.dismiss(); });
  page.on('pageerror', (error) => trouble.push(`script error: ${error.message}`));
  page.on('console', (message) => { if (message.type() === 'error') trouble.push(`console: ${message.text()}`); });
  page.on('request', (request) => { if (!request.url().startsWith('file:')) trouble.push(`request: ${request.url()}`); });
  await page.goto(pathToFileURL(path.resolve(file)).href, { waitUntil: 'load' });
  return { page, trouble };
}

// What a document's markup would change if it were not shown as text.
async function intact(page, title, markup) {
  return page.evaluate((wanted, shown) => {
    const walker = document.createTreeWalker(document, NodeFilter.SHOW_COMMENT);
    return document.title === wanted &&
      document.querySelectorAll('script').length === 1 &&
      document.querySelectorAll('img, textarea, iframe, object, embed, link, base, form').length === 0 &&
      walker.nextNode() === null &&
      document.body.textContent.includes(shown);
  }, title, markup);
}

// The values of one column of the pairs table, as shown.
function columnOf(page, column) {
  return page.$$eval('#pair-table tbody tr', (rows, c) =>
    rows.map((row) => ({ text: row.cells[c].textContent, v: row.cells[c].getAttribute('data-v') })), column);
}

function sorted(values, compare) {
  return values.every((value, i) => i === 0 || compare(values[i - 1], value) <= 0);
}

try {
  // The index.
  const { page: index, trouble } = await openPage(path.join(resultsDir, 'index.html'));
  if (!anyStudy) {
    check(await index.evaluate(() => document.body.textContent.includes('<img src=x onerror=alert(3)>')),
      'index names the document whose name holds markup');
    check(await intact(index, 'Collusion results', '<img src=x onerror=alert(3)>'),
      'index: document names holding markup show as text');
  }
  const rows = await index.$$eval('#pair-table tbody tr', (r) => r.length);
  check(rows > 1, `index lists ${rows} pairs`);
  check(await index.$$eval('#histogram rect.bar', (bars) => bars.length) === 20, 'histogram has 20 bins');

  const heads = await index.$$('#pair-table thead th');
  await heads[5].click();  // Common
  let common = (await columnOf(index, 5)).map((cell) => Number(cell.v));
  check(sorted(common, (a, b) => a - b), `Common ascending after one click: ${common}`);
  await heads[5].click();
  common = (await columnOf(index, 5)).map((cell) => Number(cell.v));
  check(sorted(common, (a, b) => b - a), `Common descending after two clicks: ${common}`);
  await heads[2].click();  // Document 2
  const names = (await columnOf(index, 2)).map((cell) => cell.text);
  check(sorted(names, (a, b) => (a < b ? -1 : a > b ? 1 : 0)), `Document 2 ascending by text: ${names}`);
  await heads[0].click();  // back to rank order for the screenshot
  const ranks = (await columnOf(index, 0)).map((cell) => Number(cell.v));
  check(sorted(ranks, (a, b) => a - b), `Rank ascending: ${ranks}`);
  await index.screenshot({ path: path.join(shotsDir, 'results-index.png'), fullPage: true });
  check(trouble.length === 0, `index: no dialog, error or request ${trouble.join('; ')}`);

  // Every pair page.
  const links = await index.$$eval('#pair-table tbody a', (anchors) => anchors.map((a) => a.getAttribute('href')));
  for (const link of links) {
    const { page, trouble: pageTrouble } = await openPage(path.join(resultsDir, link));
    const rank = link.match(/(\d+)\.html$/)[1];
    const hostile = await page.evaluate(() => document.body.textContent.includes('<script>alert(1)</script>'));
    if (hostile) check(await intact(page, `Pair ${rank}`, '<script>alert(1)</script>'), `${link}: document markup shows as text`);
    check(await page.$eval('a[href="../index.html"]', (a) => a.textContent.length > 0), `${link}: links back to the index`);

    const marks = await page.$$('mark[data-doc="1"]');
    if (marks.length > 0) {
      await marks[marks.length - 1].click();
      const state = await page.evaluate(() => {
        const chosen = document.querySelector('mark.chosen');
        const wanted = chosen.getAttribute('data-partners').split(' ').filter(Boolean).sort();
        const marked = Array.from(document.querySelectorAll('mark.partner'));
        const first = marked[0];
        const pane = first ? first.closest('pre').getBoundingClientRect() : null;
        const box = first ? first.getBoundingClientRect() : null;
        return {
          chosen: chosen.getAttribute('data-doc'),
          wanted: wanted.join(' '),
          marked: marked.map((m) => m.getAttribute('data-n')).sort().join(' '),
          sides: marked.every((m) => m.getAttribute('data-doc') === '2'),
          inView: !!box && box.bottom > pane.top && box.top < pane.bottom,
        };
      });
      check(state.chosen === '1' && state.wanted !== '' && state.wanted === state.marked && state.sides,
        `${link}: a click on a passage marks its partners (${state.wanted} / ${state.marked})`);
      check(state.inView, `${link}: the first partner is scrolled into view`);
    }
    if (link === links[0]) {
      await page.screenshot({ path: path.join(shotsDir, 'results-pair.png') });
    }
    check(pageTrouble.length === 0, `${link}: no dialog, error or request ${pageTrouble.join('; ')}`);
    await page.close();
  }
} catch (error) {
  failures.push(String(error && error.stack || error));
  console.log(`FAIL ${error}`);
} finally {
  await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

if (failures.length > 0) {
  console.log(`${failures.length} check(s) failed`);
  process.exit(1);
}
console.log('all browser checks passed');
