// Writes the language files under languages/ from the stop-word lists of the
// stopwords-iso package, with each language's punctuation marks and the name
// of its Snowball stemmer, and copies the package's licence beside them.
//
// Usage: cd scripts/languages && npm ci && node make_languages.mjs
//
// A file holds, in this order: two lines of comment, the stemmer section
// (left out where Snowball has no stemmer), the stop words in the package's
// order without repeats, the punctuation marks (longer marks before the marks
// they contain) and the ten digits.
import { readFileSync, writeFileSync, mkdirSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const packageDir = join(here, "node_modules", "stopwords-iso");
const outDir = join(here, "..", "..", "languages");

// The marks of every language: those of examples/language/english.lang, then
// the ellipsis and the dashes.
const common = [",", ".", ";", ":", "!", "?", '"', "'", "(", ")", "[", "]", "--", "-", "/", "*",
  "&", "\u2026", "\u2014", "\u2013"];

const languages = [
  { code: "en", file: "english", name: "English", stemmer: "english",
    marks: ["\u201C", "\u201D", "\u2018", "\u2019"] },
  { code: "fr", file: "french", name: "French", stemmer: "french",
    marks: ["\u00AB", "\u00BB", "\u2039", "\u203A", "\u201C", "\u201D", "\u2018", "\u2019"] },
  { code: "de", file: "german", name: "German", stemmer: "german",
    marks: ["\u201E", "\u201C", "\u201D", "\u201A", "\u2018", "\u2019", "\u00BB", "\u00AB",
      "\u203A", "\u2039"] },
  { code: "es", file: "spanish", name: "Spanish", stemmer: "spanish",
    marks: ["\u00BF", "\u00A1", "\u00AB", "\u00BB", "\u201C", "\u201D", "\u2018", "\u2019"] },
  { code: "pt", file: "portuguese", name: "Portuguese", stemmer: "portuguese",
    marks: ["\u00AB", "\u00BB", "\u201C", "\u201D", "\u2018", "\u2019"] },
  { code: "it", file: "italian", name: "Italian", stemmer: "italian",
    marks: ["\u00AB", "\u00BB", "\u201C", "\u201D", "\u2018", "\u2019"] },
  { code: "nl", file: "dutch", name: "Dutch", stemmer: "dutch",
    marks: ["\u201E", "\u201C", "\u201D", "\u201A", "\u2018", "\u2019"] },
  { code: "sv", file: "swedish", name: "Swedish", stemmer: "swedish",
    marks: ["\u201D", "\u2019", "\u00BB", "\u00AB"] },
  { code: "pl", file: "polish", name: "Polish", stemmer: null,
    marks: ["\u201E", "\u201D", "\u00AB", "\u00BB", "\u2019"] },
  { code: "ru", file: "russian", name: "Russian", stemmer: "russian",
    marks: ["\u00AB", "\u00BB", "\u201E", "\u201C"] },
];

const lists = JSON.parse(readFileSync(join(packageDir, "stopwords-iso.json"), "utf8"));
const about = JSON.parse(readFileSync(join(packageDir, "package.json"), "utf8"));

// A line that holds a section marker would open or close a section.
const usable = (word) => word.length > 0 && !/[\r\n]/.test(word) && !/\[(start|stop) /.test(word);

mkdirSync(outDir, { recursive: true });
for (const language of languages) {
  const words = [...new Set(lists[language.code].map((w) => w.trim()).filter(usable))];
  const marks = [...new Set([...common, ...language.marks])];
  const lines = [
    `${language.name} word lists for collusion, written by scripts/languages/make_languages.mjs`,
    `from ${about.name} ${about.version} (${about.license}, see LICENSE-stopwords-iso.txt).`,
  ];
  if (language.stemmer) lines.push("[start stemmer]", language.stemmer, "[stop stemmer]");
  lines.push("[start stopWords]", ...words, "[stop stopWords]");
  lines.push("[start punctuation]", ...marks, "[stop punctuation]");
  lines.push("[start numbers]", ..."0123456789", "[stop numbers]");
  writeFileSync(join(outDir, `${language.file}.lang`), lines.join("\n") + "\n");
}

// The package ships no licence file; its package.json names the licence and
// the author, and this is the text of that licence.
if (about.license !== "MIT") throw new Error(`unexpected licence ${about.license}`);
writeFileSync(join(outDir, "LICENSE-stopwords-iso.txt"), `The stop words in these files come from the ${about.name} package, version ${about.version}
(${about.repository}), published under the MIT licence:

The MIT License (MIT)

Copyright (c) ${about.author}

Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the "Software"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all
copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.
`);
