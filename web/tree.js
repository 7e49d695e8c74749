// The query tree of an explained input: each step with its row count, its table on demand, its
// notes, and the whole query in textbook notation.
'use strict';

window.relalgtree = (() => {
  const symbols = {select: 'σ', project: 'π', rename: 'ρ', product: '×', union: '∪', minus: '−'};

  const columnname = (column) => (typeof column === 'string' ? column : column.name);

  function element(tag, text, classname) {
    const made = document.createElement(tag);
    if (text !== undefined) made.textContent = text;
    if (classname) made.className = classname;
    return made;
  }

  function rowcount(rows) {
    return rows + (rows === 1 ? ' row' : ' rows');
  }

  // The query in textbook notation, built from the tree: binary operators infix, the others
  // with their argument as a subscript.
  function notation(node) {
    const operands = (node.operands || []).map(notation);
    switch (node.operator) {
      case 'table':
        return node.name;
      case 'select':
        return 'σ[' + (node.condition ? node.condition.text : '') + '](' + operands[0] + ')';
      case 'project':
        return 'π[' + node.columns.map(columnname).join(', ') + '](' + operands[0] + ')';
      case 'rename':
        return 'ρ[' + node.name + '(' + node.columns.map(columnname).join(', ') + ')](' +
            operands[0] + ')';
      default:
        return '(' + operands.join(' ' + symbols[node.operator] + ' ') + ')';
    }
  }

  function notelist(notes, gotoline) {
    const list = element('ul', undefined, 'notes');
    for (const note of notes || []) {
      const item = element('li');
      if (note.line === null || note.line === undefined) {
        item.textContent = note.text;
      } else {
        const line = element('button', 'line ' + note.line, 'linkbutton');
        line.type = 'button';
        line.setAttribute('aria-label', 'Show line ' + note.line + ' of the input');
        line.addEventListener('click', () => gotoline(note.line));
        item.append(line, ': ' + note.text);
      }
      list.append(item);
    }
    return list;
  }

  // A step's first rows, under its text (cut short: a deep query's text is long) and row count.
  function showtable(node, place) {
    const table = element('table');
    const shown = (node.first || []).length;
    const text = node.text.length > 200 ? node.text.slice(0, 200) + '…' : node.text;
    const about = element('p', text + ': ' + rowcount(node.rows) +
        (shown < node.rows ? ', the first ' + shown + ' shown' : ''), 'about');
    about.id = 'nodetableabout';
    table.setAttribute('aria-labelledby', about.id);
    const head = table.createTHead().insertRow();
    for (const column of node.columns || []) {
      const cell = element('th', columnname(column));
      cell.scope = 'col';
      head.append(cell);
    }
    const body = table.createTBody();
    for (const row of node.first || []) {
      const line = body.insertRow();
      for (const value of row) line.insertCell().textContent = value;
    }
    place.replaceChildren(about, table);
  }

  function branch(node, places, gotoline) {
    const item = element('li');
    const label = node.operator === 'table' ? node.name : node.operator;
    const step = element('button', label + ' — ' + rowcount(node.rows), 'step');
    step.type = 'button';
    step.title = node.text;
    step.addEventListener('click', () => showtable(node, places.table));
    item.append(step);
    if (node.notes && node.notes.length) item.append(notelist(node.notes, gotoline));
    if (node.operands && node.operands.length) {
      const below = element('ul');
      for (const operand of node.operands) below.append(branch(operand, places, gotoline));
      item.append(below);
    }
    return item;
  }

  // Fills the places (tree, table, notes, notation) from an explain document.
  function render(doc, places, gotoline) {
    const root = element('ul', undefined, 'tree');
    root.append(branch(doc.result, places, gotoline));
    places.tree.replaceChildren(root);
    places.table.replaceChildren();
    const notes = [...(doc.notes || [])];
    for (const table of doc.tables || []) notes.push(...(table.notes || []));
    places.notes.replaceChildren(...notelist(notes, gotoline).children);
    places.notation.textContent = notation(doc.result);
  }

  return {render, notation};
})();
