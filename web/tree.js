// The query tree of an explained input: each step with its row count and its notes, the chosen
// step's table and condition, and every note with its line in the input.
'use strict';

window.relalgtree = (() => {
  const mostdrawn = 5000;  // steps drawn: a larger tree is cut there, and says so
  const mostconditionlines = 1000;  // lines of a chosen step's condition
  const mostnotes = 1000;  // notes in the list of all notes
  const moststepnotes = 10;  // notes under a step in the tree
  const longest = 200;  // characters of a step's text shown
  const deepestindent = 10;  // deeper steps are indented no further, their level said instead
  const symbols = {
    select: 'σ', project: 'π', rename: 'ρ', product: '×', union: '∪', minus: '−',
  };

  function element(tag, text, classname) {
    const made = document.createElement(tag);
    if (text !== undefined) made.textContent = text;
    if (classname) made.className = classname;
    return made;
  }

  // A step whose value does not fit in memory has no count.
  const rowcount = (rows) =>
    rows === null ? 'more rows than fit in memory' : rows + (rows === 1 ? ' row' : ' rows');
  const cut = (text, most = longest) => (text.length > most ? text.slice(0, most) + '…' : text);
  const istext = (column) => column.type.includes('(');

  // The items of a tree of nodes or conditions, each before its operands, with its depth, its
  // parent's index and its place among its parent's operands. A work list, not a recursion: a
  // query nests up to 100,000 levels. Only the first `most` are kept; all are counted.
  function flatten(root, most) {
    const items = [];
    let count = 0;
    const work = [{item: root, depth: 0, parent: -1, position: 1, siblings: 1}];
    while (work.length) {
      const entry = work.pop();
      // In this order the kept ones are the first; the rest are walked only to be counted.
      if (count++ < most) items.push(entry);
      const index = items.length - 1;
      const operands = entry.item.operands || [];
      for (let k = operands.length - 1; k >= 0; --k) {
        work.push({item: operands[k], depth: entry.depth + 1, parent: index, position: k + 1,
          siblings: operands.length});
      }
    }
    return {items, count};
  }

  function label(node) {
    const columns = (node.columns || []).map((c) => c.name).join(', ');
    switch (node.operator) {
      case 'table':
        return node.text === '' ? 'the empty operand' : cut(node.text, 60);
      case 'select':
        return 'select ' + cut(node.condition ? node.condition.text : '', 60);
      case 'project':
        return 'project ' + cut(columns, 60);
      case 'rename':
        return 'rename to ' + cut(node.name + '(' + columns + ')', 60);
      default:
        return node.operator;
    }
  }

  // A note as a line of text, or with a button that puts the editor's caret on its line.
  function noteitem(note, tag, gotoline) {
    const item = element(tag, undefined, 'note');
    if (note.line === null || note.line === undefined || !gotoline) {
      item.textContent = (note.line ? 'line ' + note.line + ': ' : '') + note.text;
      return item;
    }
    const line = element('button', 'line ' + note.line, 'linkbutton');
    line.type = 'button';
    line.setAttribute('aria-label', 'Line ' + note.line + ' of the input');
    line.addEventListener('click', () => gotoline(note.line));
    item.append(line, ': ' + note.text);
    return item;
  }

  function notelist(notes, gotoline) {
    const list = element('ul', undefined, 'notes');
    for (const note of notes) list.append(noteitem(note, 'li', gotoline));
    return list;
  }

  function conditionline(condition) {
    switch (condition.keyword) {
      case 'AND':
      case 'OR':
      case 'NOT':
        return condition.keyword;
      case 'unrecognised':
        return (condition.text === '' ? '(empty)' : cut(condition.text)) +
            ': no condition, no for every row';
      default: {
        // Of two columns the later-standing one decides, which the document does not say.
        const named = [condition.left.column, condition.right.column].filter((c) => c !== null);
        const how = named.length === 0 ? ', two constants' :
            named.length === 1 ? ', ' + named[0] + ' decides' : '';
        return cut(condition.text) + ': as ' + (condition.integers ? 'integers' : 'texts') + how;
      }
    }
  }

  // A selection's condition, one line per connective or comparison, indented by its depth.
  function conditionview(root, gotoline) {
    const {items, count} = flatten(root, mostconditionlines);
    const list = element('ul', undefined, 'condition');
    for (const {item, depth} of items) {
      const line = element('li', conditionline(item));
      line.style.paddingLeft = Math.min(depth, deepestindent) + 'rem';
      if (item.notes.length) line.append(notelist(item.notes, gotoline));
      list.append(line);
    }
    if (count > items.length) {
      list.append(element('li', 'and ' + (count - items.length) + ' more', 'hint'));
    }
    return list;
  }

  // The chosen step: its text and row count, its first rows, its condition, its notes.
  function showstep(node, place, gotoline) {
    const shown = node.first.length;
    const about = element('p', cut(node.text) + ': ' + rowcount(node.rows) +
        (shown < node.rows ? ', the first ' + shown + ' shown' : ''), 'about');
    about.id = 'nodetableabout';
    const table = element('table');
    table.setAttribute('aria-labelledby', about.id);
    const head = table.createTHead().insertRow();
    for (const column of node.columns) {
      const cell = element('th', column.name + ' ');
      cell.scope = 'col';
      cell.append(element('span', column.type, 'type'));
      head.append(cell);
    }
    const body = table.createTBody();
    for (const row of node.first) {
      const line = body.insertRow();
      row.forEach((value, k) => {
        const text = istext(node.columns[k]);
        const cell = line.insertCell();
        cell.textContent = text && /^'.*'$/s.test(value) ? value.slice(1, -1) : value;
        if (!text) cell.className = 'number';
      });
    }
    const parts = [about, table];
    if (node.condition) {
      parts.push(element('h4', 'Condition'), conditionview(node.condition, gotoline));
    }
    if (node.notes.length) parts.push(element('h4', 'Notes'), notelist(node.notes, gotoline));
    place.replaceChildren(...parts);
  }

  // A step's notes and those of its condition.
  function stepnotes(node) {
    const notes = [...node.notes];
    if (node.condition) {
      for (const {item} of flatten(node.condition, Infinity).items) notes.push(...item.notes);
    }
    return notes;
  }

  // Every note of the document: the input's, the tables', the steps' and the conditions',
  // in the order of their lines, those of no line first.
  function allnotes(doc) {
    const notes = [...doc.notes];
    for (const table of doc.tables) notes.push(...table.notes);
    for (const {item} of flatten(doc.result, Infinity).items) notes.push(...stepnotes(item));
    const lineof = (note) => (note.line === null ? 0 : note.line);
    return notes.map((note, k) => ({note, k}))
        .sort((a, b) => lineof(a.note) - lineof(b.note) || a.k - b.k)
        .map((entry) => entry.note);
  }

  // The tree as a flat list of tree items, each with its level, so that the page's own
  // elements never nest deeper than a few levels whatever the query's nesting. Keys: up and
  // down, home and end, right to open or enter a step, left to close it or go to its parent.
  class treeview {
    constructor(doc, places, gotoline) {
      const {items, count} = flatten(doc.result, mostdrawn);
      this.items = items;
      this.places = places;
      this.gotoline = gotoline;
      this.closed = new Set();
      this.elements = items.map((entry, index) => this.item(entry, index));
      const list = element('ul', undefined, 'tree');
      list.setAttribute('role', 'tree');
      list.setAttribute('aria-label', 'The query as a tree of steps');
      list.append(...this.elements);
      list.addEventListener('keydown', (event) => this.key(event));
      const parts = [list];
      if (count > items.length) {
        parts.push(element('p', 'The first ' + items.length + ' of ' + count +
            ' steps are shown.', 'hint'));
      }
      places.tree.replaceChildren(...parts);
      this.current = 0;
      this.choose(0, false);
    }

    hasoperands(index) {
      return index + 1 < this.items.length &&
          this.items[index + 1].depth > this.items[index].depth;
    }

    item(entry, index) {
      const {item: node, depth} = entry;
      const made = element('li', undefined, 'step');
      made.setAttribute('role', 'treeitem');
      made.setAttribute('aria-level', String(depth + 1));
      made.setAttribute('aria-setsize', String(entry.siblings));
      made.setAttribute('aria-posinset', String(entry.position));
      made.setAttribute('aria-selected', 'false');
      made.tabIndex = -1;
      made.style.setProperty('--indent', String(Math.min(depth, deepestindent)));
      const head = element('span', undefined, 'stephead');
      if (depth > deepestindent) head.append(element('span', 'level ' + (depth + 1) + ' ', 'hint'));
      const symbol = element('span', symbols[node.operator] || '', 'symbol');
      symbol.setAttribute('aria-hidden', 'true');
      head.append(symbol, label(node), element('span', ' — ' + rowcount(node.rows), 'rows'));
      made.append(head);
      const notes = stepnotes(node);
      if (notes.length) {
        const under = element('div', undefined, 'stepnotes');
        for (const note of notes.slice(0, moststepnotes)) under.append(noteitem(note, 'div', null));
        if (notes.length > moststepnotes) {
          under.append(element('div', 'and ' + (notes.length - moststepnotes) + ' more notes'));
        }
        made.append(under);
      }
      made.addEventListener('click', (event) => {
        event.stopPropagation();
        this.choose(index, true);
      });
      return made;
    }

    // The step's table shown, and the step made the tree's one stop for the tab key.
    choose(index, focus) {
      const previous = this.elements[this.current];
      previous.setAttribute('aria-selected', 'false');
      previous.tabIndex = -1;
      this.current = index;
      const chosen = this.elements[index];
      chosen.setAttribute('aria-selected', 'true');
      chosen.tabIndex = 0;
      if (focus) chosen.focus();
      showstep(this.items[index].item, this.places.table, this.gotoline);
    }

    // Hides or shows the steps under each closed one: a pass over the list in order.
    layout() {
      let hiddenbelow = Infinity;  // the depth under which steps are hidden
      this.items.forEach((entry, index) => {
        if (entry.depth <= hiddenbelow) hiddenbelow = Infinity;
        this.elements[index].hidden = entry.depth > hiddenbelow;
        if (this.hasoperands(index)) {
          const closed = this.closed.has(index);
          this.elements[index].setAttribute('aria-expanded', String(!closed));
          if (closed && hiddenbelow === Infinity) hiddenbelow = entry.depth;
        }
      });
    }

    visible(from, step) {
      for (let index = from + step; index >= 0 && index < this.items.length; index += step) {
        if (!this.elements[index].hidden) return index;
      }
      return from;
    }

    key(event) {
      const at = this.current;
      let to = at;
      switch (event.key) {
        case 'ArrowDown':
          to = this.visible(at, 1);
          break;
        case 'ArrowUp':
          to = this.visible(at, -1);
          break;
        case 'Home':
          to = 0;
          break;
        case 'End':
          to = this.visible(this.items.length, -1);
          break;
        case 'ArrowRight':
          if (this.closed.delete(at)) {
            this.layout();
          } else if (this.hasoperands(at)) {
            to = at + 1;
          }
          break;
        case 'ArrowLeft':
          if (this.hasoperands(at) && !this.closed.has(at)) {
            this.closed.add(at);
            this.layout();
          } else if (this.items[at].parent >= 0) {
            to = this.items[at].parent;
          }
          break;
        case 'Enter':
        case ' ':
          break;
        default:
          return;
      }
      event.preventDefault();
      this.choose(to, true);
    }
  }

  // Fills the places (tree, table, notes) from an explain document.
  function render(doc, places, gotoline) {
    const view = new treeview(doc, places, gotoline);
    view.layout();
    const notes = allnotes(doc);
    const list = notelist(notes.slice(0, mostnotes), gotoline);
    if (notes.length > mostnotes) {
      list.append(element('li', 'and ' + (notes.length - mostnotes) + ' more notes', 'hint'));
    }
    places.notes.replaceChildren(...list.children);
    return view;
  }

  return {render, allnotes};
})();
